// Joins each page port to a velsor-host process of its own. The origin the host is told is
// the one the browser reports for the sending page, never anything the page says; only a
// page's top frame is served.
const api = globalThis.browser ?? globalThis.chrome;
const HOST = "velsor.host";
// What one message to the host may hold before it goes in pieces (the browser allows
// 64 MiB; a character may take three bytes).
const PIECE_CHARACTERS = 8 * 1024 * 1024;

function originOf(sender) {
  if (typeof sender.origin === "string" && sender.origin !== "null") return sender.origin;
  try {
    return new URL(sender.url).origin;
  } catch {
    return "";
  }
}

function sendToHost(native, message) {
  const text = JSON.stringify(message);
  if (text.length <= PIECE_CHARACTERS) {
    native.postMessage(message);
    return;
  }
  const pieces = Math.ceil(text.length / PIECE_CHARACTERS);
  for (let piece = 0; piece < pieces; ++piece) {
    const start = piece * PIECE_CHARACTERS;
    native.postMessage({
      id: message.id,
      origin: message.origin,
      piece,
      pieces,
      text: text.slice(start, start + PIECE_CHARACTERS),
    });
  }
}

// Replies over the host's frame limit arrive in numbered pieces; the page gets them whole.
function joiner(deliver) {
  let parts = [];
  return (message) => {
    if (message === null || typeof message !== "object" || typeof message.piece !== "number") {
      deliver(message);
      return;
    }
    if (message.piece === 0) parts = [];
    parts.push(message.text);
    if (parts.length === message.pieces) {
      const whole = parts.join("");
      parts = [];
      try {
        deliver(JSON.parse(whole));
      } catch {
        deliver({ id: message.id, failed: "a reply from the host arrived damaged" });
      }
    }
  };
}

api.runtime.onConnect.addListener((port) => {
  const sender = port.sender;
  if (port.name !== "velsor" || !sender || sender.frameId !== 0 || !sender.tab) {
    port.disconnect();
    return;
  }
  const origin = originOf(sender);
  let native;
  try {
    native = api.runtime.connectNative(HOST);
  } catch (error) {
    port.postMessage({ id: null, closed: String(error?.message ?? error) });
    port.disconnect();
    return;
  }
  native.onMessage.addListener(joiner((reply) => port.postMessage(reply)));
  native.onDisconnect.addListener(() => {
    const why = api.runtime.lastError?.message ?? native.error?.message ?? "velsor-host ended";
    try {
      port.postMessage({ id: null, closed: why });
    } finally {
      port.disconnect();
    }
  });
  port.onMessage.addListener((request) => {
    if (request === null || typeof request !== "object") return;
    // Pieces are ours alone: joined pieces from a page could claim any origin.
    if ("piece" in request) {
      port.postMessage({ id: request.id ?? null, failed: "a page may not send pieces" });
      return;
    }
    try {
      sendToHost(native, { ...request, origin });
    } catch (error) {
      port.postMessage({ id: request.id ?? null, failed: String(error?.message ?? error) });
    }
  });
  port.onDisconnect.addListener(() => native.disconnect());
});
