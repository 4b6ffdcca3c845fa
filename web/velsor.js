// The page library: the control's members as promise-returning methods, through the
// Velsor extension and its native host. After every reply, errorNum, errorCode and errMsg
// hold that reply's values, so a page can keep reading them after each call. A call the
// host refuses, or does not answer within callTimeoutMs (10 minutes unless the page sets
// it: calls may wait on the user's dialogs), is rejected and the next call goes ahead.
//
//   import { Velsor } from "./velsor.js";
//   const c = await Velsor.create();
//   await c.VLSetPlainText("pay 100 to Bob");
//   const signature = await c.VLAttachedSign("");
//   if (c.errorNum !== 0) alert(c.errMsg);

import { METHODS, PROPERTIES } from "./velsor-members.js";

const NOT_INSTALLED =
  "Velsor is not installed in this browser: add the Velsor extension and run 'velsor bridge install'";

const OPAQUE = "a sandboxed document (its origin is opaque) may not use your certificates";
const CALL_TIMEOUT_MS = 10 * 60 * 1000;

let nextObject = 1;

// Whether the extension's content script answers in this window.
function extensionPresent(timeoutMs) {
  return new Promise((resolve) => {
    const nonce = `${Date.now()}-${Math.random()}`;
    const listen = (event) => {
      if (event.source === window && event.data?.velsor === "extension" && event.data.hello === nonce) {
        done(true);
      }
    };
    const timer = setTimeout(() => done(false), timeoutMs);
    function done(present) {
      clearTimeout(timer);
      window.removeEventListener("message", listen);
      resolve(present);
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

  constructor(token) {
    if (token !== Velsor.#token) throw new TypeError("use Velsor.create()");
    this.#listener = (event) => this.#receive(event);
    window.addEventListener("message", this.#listener);
  }
  static #token = Symbol("Velsor");

  static async create({ timeoutMs = 1500, callTimeoutMs = CALL_TIMEOUT_MS } = {}) {
    if (window.origin === "null") throw new Error(`Velsor refused: ${OPAQUE}`);
    if (!(await extensionPresent(timeoutMs))) throw new Error(NOT_INSTALLED);
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
    this.#fail(new Error("the Velsor connection was closed"));
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
      this.#fail(new Error(/not found|forbidden|native messaging host|no such native application/i.test(why)
        ? `${NOT_INSTALLED} (${why})` : `the Velsor host ended: ${why}`));
      return;
    }
    const reply = data.reply;
    // Refused with no id: the extension refused this control as a whole.
    if (reply?.id === null && "refused" in reply) {
      this.#fail(new Error(`Velsor refused: ${reply.refused}`));
      return;
    }
    const pending = this.#waiting.get(reply?.id);
    if (!pending) return;
    this.#waiting.delete(reply.id);
    if ("refused" in reply) {
      pending.reject(new Error(`Velsor refused: ${reply.refused}`));
    } else if ("failed" in reply) {
      pending.reject(new Error(`Velsor failed: ${reply.failed}`));
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
        reject(new Error(`Velsor did not answer ${member} within ${seconds} s`));
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
