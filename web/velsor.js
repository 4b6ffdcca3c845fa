// The page library: the control's members as promise-returning methods, through the
// Velsor extension and its native host. After every reply, errorNum, errorCode and errMsg
// hold that reply's values, so a page can keep reading them after each call. A call the
// host refuses, or does not answer within callTimeoutMs (10 minutes unless the page sets
// it: calls may wait on the user's dialogs), is rejected and the next call goes ahead.
// Failures are VelsorErrors whose code tells a page what is missing (see below).
//
//   import { Velsor } from "./velsor.js";
//   const c = await Velsor.create();
//   await c.VLSetPlainText("pay 100 to Bob");
//   const signature = await c.VLAttachedSign("");
//   if (c.errorNum !== 0) alert(c.errMsg);

import { METHODS, PROPERTIES } from "./velsor-members.js";

// The protocol of the messages between this library, the extension and the host; each
// side tells its own, and a page learns which side to update when they differ.
export const PROTOCOL = 1;

const NO_EXTENSION =
  "Velsor is not installed in this browser: the Velsor extension does not answer. Install " +
  "the Velsor package (it puts the extension where Chromium and Firefox load it) or add the " +
  "extension, then reload this page";
const NO_HOST =
  "Velsor is not installed on this computer for this browser: the extension cannot start " +
  "Velsor's program. Install the Velsor package; 'velsor doctor' tells what is missing";

const OPAQUE = "a sandboxed document (its origin is opaque) may not use your certificates";
const CALL_TIMEOUT_MS = 10 * 60 * 1000;

// A failure a page can tell apart by its code: EXTENSION_UNAVAILABLE, HOST_UNAVAILABLE,
// VERSION_MISMATCH (`update` names the side to update: "extension", "host" or "page"),
// REFUSED, FAILED, TIMEOUT or CLOSED. The message says what the user should do.
export class VelsorError extends Error {
  constructor(code, message, details = {}) {
    super(message);
    this.name = "VelsorError";
    this.code = code;
    Object.assign(this, details);
  }
}

// Two sides of another protocol: the older one is to be updated.
function mismatch(older, newer, olderSide, description) {
  const names = { extension: "the Velsor extension", host: "Velsor on this computer (its package)",
                  page: "this page's Velsor library (velsor.js)" };
  return new VelsorError("VERSION_MISMATCH",
    `Velsor's parts do not match: ${description}. Update ${names[olderSide]}`,
    { update: olderSide, older, newer });
}

let nextObject = 1;

// What the extension's content script says of itself in this window; nothing when it does
// not answer.
function extensionPresent(timeoutMs) {
  return new Promise((resolve) => {
    const nonce = `${Date.now()}-${Math.random()}`;
    const listen = (event) => {
      if (event.source === window && event.data?.velsor === "extension" && event.data.hello === nonce) {
        done(event.data.extension ?? { version: "unknown", protocol: 0 });
      }
    };
    const timer = setTimeout(() => done(null), timeoutMs);
    function done(extension) {
      clearTimeout(timer);
      window.removeEventListener("message", listen);
      resolve(extension);
    }
    window.addEventListener("message", listen);
    window.postMessage({ velsor: "page", kind: "hello", nonce }, window.location.origin);
  });
}

export class Velsor {
  #object = nextObject++;
  #nextId = 1;
  #waiting = new Map();
  #queue = Promise.resolve();
  #closed = null;
  #listener;
  errorNum = 0;
  errorCode = 0;
  errMsg = "";
  callTimeoutMs = CALL_TIMEOUT_MS;
  // What the host said of itself when the connection opened: { version, protocol }.
  host = null;

  constructor(token) {
    if (token !== Velsor.#token) throw new TypeError("use Velsor.create()");
    this.#listener = (event) => this.#receive(event);
    window.addEventListener("message", this.#listener);
  }
  static #token = Symbol("Velsor");

  static async create({ timeoutMs = 1500, callTimeoutMs = CALL_TIMEOUT_MS } = {}) {
    if (window.origin === "null") throw new VelsorError("REFUSED", `Velsor refused: ${OPAQUE}`);
    const extension = await extensionPresent(timeoutMs);
    if (!extension) throw new VelsorError("EXTENSION_UNAVAILABLE", NO_EXTENSION);
    if (extension.protocol !== PROTOCOL) {
      const extensionOlder = !(extension.protocol > PROTOCOL);
      throw mismatch(extensionOlder ? extension : { protocol: PROTOCOL },
        extensionOlder ? { protocol: PROTOCOL } : extension, extensionOlder ? "extension" : "page",
        `the extension (version ${extension.version}) speaks protocol ${extension.protocol}, ` +
        `this page's library protocol ${PROTOCOL}`);
    }
    const control = new Velsor(Velsor.#token);
    control.callTimeoutMs = callTimeoutMs;
    try {
      await control.getVersion();
    } catch (error) {
      control.close();
      throw error;
    }
    return control;
  }

  close() {
    window.removeEventListener("message", this.#listener);
    window.postMessage({ velsor: "page", kind: "close", object: this.#object }, window.location.origin);
    this.#fail(new VelsorError("CLOSED", "the Velsor connection was closed"));
  }

  get(name) {
    return this.#request(String(name), "get", []);
  }

  set(name, value) {
    return this.#request(String(name), "put", [value]);
  }

  #receive(event) {
    const data = event.data;
    if (event.source !== window || data?.velsor !== "extension" || data.object !== this.#object) return;
    if ("closed" in data || (data.reply && "closed" in data.reply)) {
      const why = data.closed ?? data.reply.closed;
      this.#fail(/not found|forbidden|native messaging host|no such native application/i.test(why)
        ? new VelsorError("HOST_UNAVAILABLE", `${NO_HOST} (${why})`)
        : new VelsorError("CLOSED", `the Velsor host ended: ${why}`));
      return;
    }
    const reply = data.reply;
    if (reply?.id === null && reply.hello) {
      this.host = reply.hello.host;
      return;
    }
    if (reply?.id === null && reply.mismatch) {
      const { host, extension } = reply.mismatch;
      const hostOlder = !(host.protocol > extension.protocol);
      this.#fail(mismatch(hostOlder ? host : extension, hostOlder ? extension : host,
        hostOlder ? "host" : "extension",
        `Velsor on this computer (version ${host.version}) speaks protocol ${host.protocol}, ` +
        `the extension (version ${extension.version}) protocol ${extension.protocol}`));
      return;
    }
    // Refused with no id: the extension refused this control as a whole.
    if (reply?.id === null && "refused" in reply) {
      this.#fail(new VelsorError("REFUSED", `Velsor refused: ${reply.refused}`));
      return;
    }
    const pending = this.#waiting.get(reply?.id);
    if (!pending) return;
    this.#waiting.delete(reply.id);
    if ("refused" in reply) {
      pending.reject(new VelsorError("REFUSED", `Velsor refused: ${reply.refused}`));
    } else if ("failed" in reply) {
      pending.reject(new VelsorError("FAILED", `Velsor failed: ${reply.failed}`));
    } else {
      this.errorNum = reply.errorNum ?? 0;
      this.errorCode = reply.errorCode ?? 0;
      this.errMsg = reply.errMsg ?? "";
      pending.resolve(reply.result ?? undefined);
    }
  }

  #fail(error) {
    this.#closed ??= error;
    for (const pending of this.#waiting.values()) pending.reject(this.#closed);
    this.#waiting.clear();
  }

  // Calls run one at a time, in the order the page made them.
  #request(member, access, args) {
    const run = () => new Promise((resolve, reject) => {
      if (this.#closed) {
        reject(this.#closed);
        return;
      }
      const id = this.#nextId++;
      const seconds = Math.round(this.callTimeoutMs / 100) / 10;
      const timer = setTimeout(() => {
        this.#waiting.delete(id);
        reject(new VelsorError("TIMEOUT", `Velsor did not answer ${member} within ${seconds} s`));
      }, this.callTimeoutMs);
      const settle = (then) => (value) => {
        clearTimeout(timer);
        then(value);
      };
      this.#waiting.set(id, { resolve: settle(resolve), reject: settle(reject) });
      window.postMessage(
        { velsor: "page", kind: "send", object: this.#object, request: { id, member, access, args } },
        window.location.origin);
    });
    const result = this.#queue.then(run, run);
    this.#queue = result.catch(() => {});
    return result;
  }

  static {
    for (const name of METHODS) {
      Object.defineProperty(Velsor.prototype, name, {
        value: function (...args) {
          return this.#request(name, "call", args);
        },
        writable: true,
        configurable: true,
      });
    }
  }
}

export { METHODS, PROPERTIES };
