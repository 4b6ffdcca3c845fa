// Joins each page port to a velsor-host process of its own. The origin the host is told is
// the one the browser reports for the sending page, never anything the page says; only a
// page's top frame is served, and never a document whose origin is opaque (sandboxed, or
// opened from a sandbox): its URL names a site that did not vouch for what runs in it.
const api = globalThis.browser ?? globalThis.chrome;
const HOST = "velsor.host";
// The protocol of the messages between page, extension and host; the host tells its own
// first, and a host of another protocol is not talked to.
const PROTOCOL = 1;
const EXTENSION = { version: api.runtime.getManifest().version, protocol: PROTOCOL };
// What one message to the host may hold before it goes in pieces (the browser allows
// 64 MiB; a character may take three bytes).
const PIECE_CHARACTERS = 8 * 1024 * 1024;
// The host takes at most 32 MiB in one request; more characters than that never fit.
const REQUEST_CHARACTERS = 32 * 1024 * 1024;
// Each control is a host process of its own; a page gets this many at once.
const CONTROLS_PER_PAGE = 8;
const controlsOpen = new Map();  // tab id -> ports open

const OPAQUE = "a sandboxed document (its origin is opaque) may not use your certificates";

// The page's origin; "" when it has none a site answers for.
function originOf(sender) {
  if (sender.origin === "null") return "";
  if (typeof sender.origin === "string") return sender.origin;
  try {
    const origin = new URL(sender.url).origin;
    return origin === "null" ? "" : origin;
  } catch {
    return "";
  }
}

// The end of a piece that starts at `start`: never between the two halves of a surrogate
// pair, which would leave each piece holding half a character.
function pieceEnd(text, start) {
  const end = Math.min(text.length, start + PIECE_CHARACTERS);
  if (end < text.length && end > start + 1) {
    const last = text.charCodeAt(end - 1);
    if (last >= 0xd800 && last <= 0xdbff) return end - 1;
  }
  return end;
}

// Sends `message` whole or in pieces; the refusal that answers it when it is too big.
function sendToHost(native, message) {
  const text = JSON.stringify(message);
  if (text.length > REQUEST_CHARACTERS) {
    return `a request of ${text.length} characters is over the 32 MiB one call may carry; ` +
      "a page passes bigger data as a file the user picks";
  }
  if (text.length <= PIECE_CHARACTERS) {
    native.postMessage(message);
    return "";
  }
  const ends = [];
  for (let start = 0; start < text.length; start = ends[ends.length - 1]) ends.push(pieceEnd(text, start));
  ends.forEach((end, piece) => {
    native.postMessage({
      id: message.id,
      origin: message.origin,
      piece,
      pieces: ends.length,
      text: text.slice(piece === 0 ? 0 : ends[piece - 1], end),
    });
  });
  return "";
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

// Refuses the page's port for good: the page library fails the control with `why`.
function refuse(port, why) {
  port.postMessage({ id: null, refused: why });
  port.disconnect();
}

api.runtime.onConnect.addListener((port) => {
  const sender = port.sender;
  if (port.name !== "velsor" || !sender || sender.frameId !== 0 || !sender.tab) {
    port.disconnect();
    return;
  }
  const origin = originOf(sender);
  if (origin === "") {
    refuse(port, OPAQUE);
    return;
  }
  const tab = sender.tab.id;
  const open = controlsOpen.get(tab) ?? 0;
  if (open >= CONTROLS_PER_PAGE) {
    refuse(port, `a page may have at most ${CONTROLS_PER_PAGE} Velsor controls open at once; ` +
      "close one (control.close()) before making another");
    return;
  }
  controlsOpen.set(tab, open + 1);
  let released = false;
  const release = () => {
    if (released) return;
    released = true;
    const left = (controlsOpen.get(tab) ?? 1) - 1;
    if (left > 0) controlsOpen.set(tab, left);
    else controlsOpen.delete(tab);
  };
  let native;
  try {
    native = api.runtime.connectNative(HOST);
  } catch (error) {
    release();
    port.postMessage({ id: null, closed: String(error?.message ?? error) });
    port.disconnect();
    return;
  }
  native.onMessage.addListener(joiner((reply) => {
    // The host's first message: its version and protocol, which the page learns with ours.
    if (reply?.id === null && reply.hello) {
      const host = reply.hello;
      if (host.protocol !== PROTOCOL) {
        port.postMessage({ id: null, mismatch: { host, extension: EXTENSION } });
        native.disconnect();
        release();
        port.disconnect();
        return;
      }
      port.postMessage({ id: null, hello: { host, extension: EXTENSION } });
      return;
    }
    port.postMessage(reply);
  }));
  native.onDisconnect.addListener(() => {
    release();
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
      const refusal = sendToHost(native, { ...request, origin });
      if (refusal) port.postMessage({ id: request.id ?? null, refused: refusal });
    } catch (error) {
      port.postMessage({ id: request.id ?? null, failed: String(error?.message ?? error) });
    }
  });
  port.onDisconnect.addListener(() => {
    release();
    native.disconnect();
  });
});
