// Relays between the page and the extension. Only messages the page's own window posts to
// itself are taken; each control object the page makes gets a port of its own, which the
// background joins to a velsor-host process of its own. A document whose origin is opaque
// (sandboxed, or opened from a sandbox) is refused here as well as in the background: not
// every browser tells the background that its origin is opaque.
(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const ports = new Map();
  const opaque = window.origin === "null";
  const OPAQUE = "a sandboxed document (its origin is opaque) may not use your certificates";
  // The same protocol as background.js: the page library compares it with its own.
  const PROTOCOL = 1;

  function toPage(message) {
    window.postMessage({ velsor: "extension", ...message }, window.location.origin);
  }

  function open(object) {
    const port = api.runtime.connect({ name: "velsor" });
    ports.set(object, port);
    port.onMessage.addListener((reply) => toPage({ object, reply }));
    port.onDisconnect.addListener(() => {
      ports.delete(object);
      toPage({ object, closed: api.runtime.lastError?.message ?? "the extension closed the connection" });
    });
    return port;
  }

  window.addEventListener("message", (event) => {
    if (event.source !== window) return;
    const data = event.data;
    if (data === null || typeof data !== "object" || data.velsor !== "page") return;
    if (data.kind === "hello") {
      toPage({ hello: data.nonce,
               extension: { version: api.runtime.getManifest().version, protocol: PROTOCOL } });
      return;
    }
    if (typeof data.object !== "number") return;
    if (opaque) {
      // Only this window gets it; an opaque origin cannot be named as the target.
      window.postMessage({ velsor: "extension", object: data.object,
                           reply: { id: null, refused: OPAQUE } }, "*");
      return;
    }
    if (data.kind === "close") {
      ports.get(data.object)?.disconnect();
      ports.delete(data.object);
      return;
    }
    if (data.kind !== "send") return;
    try {
      (ports.get(data.object) ?? open(data.object)).postMessage(data.request);
    } catch (error) {
      // Too big a message throws here rather than failing later.
      toPage({ object: data.object, reply: { id: data.request?.id ?? null, failed: String(error?.message ?? error) } });
    }
  });
})();
