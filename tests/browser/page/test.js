// The steps the browser test runs in the page; each returns what it saw.
import { Velsor } from "/web/velsor.js";

const ALICE = "C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";

// What `promise` gave within `ms`, or "no answer": a step never hangs the test.
function within(promise, ms) {
  return Promise.race([promise, new Promise((resolve) => setTimeout(() => resolve("no answer"), ms))]);
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function refusalOf(promise) {
  try {
    await promise;
    return "";
  } catch (error) {
    return String(error.message);
  }
}

// Text that does not compress, so that the signature is as big as the content.
function incompressible(size) {
  const alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  let seed = 12345;
  const characters = new Array(size);
  for (let i = 0; i < size; ++i) {
    seed = (seed * 1103515245 + 12345) & 0x7fffffff;
    characters[i] = alphabet[seed % alphabet.length];
  }
  return characters.join("");
}

window.velsorSteps = {
  async signAndVerify() {
    const c = await Velsor.create({ timeoutMs: 5000 });
    await c.VLSetPlainText("transfer 100.00 to Bob Li");
    const signature = await c.VLAttachedSign(ALICE);
    const signed = { errorNum: c.errorNum, errMsg: c.errMsg, length: signature.length };
    await c.VLAttachedVerify(signature);
    const verified = { errorNum: c.errorNum, text: await c.VLGetPlainText(),
                       signer: await c.VLGetSignerCertInfo(1) };
    c.close();
    return { signed, verified };
  },
  async refusals() {
    const c = await Velsor.create({ timeoutMs: 5000 });
    const serverMode = await refusalOf(c.set("VLServerMode", 1));
    const serverModeOff = await refusalOf(c.set("VLServerMode", 0));
    const path = await refusalOf(c.VLAddFile("/etc/passwd"));
    const encryptPath = await refusalOf(c.VLAddFileForEncrypt("/etc/passwd"));
    c.close();
    return { serverMode, serverModeOff, path, encryptPath };
  },
  async bigContent() {
    const c = await Velsor.create({ timeoutMs: 5000 });
    const content = incompressible(2 * 1024 * 1024);
    await c.set("MaxCompSize", 100000000);
    await c.VLSetPlainText(content);
    const signature = await c.VLAttachedSign(ALICE);
    const signedStatus = c.errorNum;
    await c.VLAttachedVerify(signature);
    const same = (await c.VLGetPlainText()) === content;
    c.close();
    return { signedStatus, signatureLength: signature.length, verifyStatus: c.errorNum, same };
  },
  async envelope() {
    const c = await Velsor.create({ timeoutMs: 5000 });
    await c.VLSetCodePage(65001);
    await c.VLSetPlainText("机密");
    const envelope = await c.VLEncryptedEnvelop(ALICE);
    await c.VLDecryptEnvelop(envelope);
    const allowed = { errorNum: c.errorNum, text: await c.VLGetPlainText() };
    await c.VLDecryptEnvelop(envelope);
    const denied = { errorNum: c.errorNum, errorCode: c.errorCode };
    c.close();
    return { allowed, denied };
  },
  // Run in a document served with "Content-Security-Policy: sandbox allow-scripts".
  async opaqueOrigin() {
    const library = await refusalOf(Velsor.create({ timeoutMs: 3000 }));
    // A hostile page talks to the extension straight, not through the library.
    const replies = [];
    window.addEventListener("message", (event) => {
      if (event.data?.velsor === "extension" && event.data.reply) replies.push(event.data.reply);
    });
    for (const [id, member, args] of [[1, "VLSetPlainText", ["x"]], [2, "VLAttachedSign", [""]]]) {
      window.postMessage({ velsor: "page", kind: "send", object: 99,
                           request: { id, member, access: "call", args } }, "*");
    }
    await pause(3000);
    return { origin: window.origin, library, replies };
  },
  // Texts whose surrogate pairs fall on the extension's piece boundary, one way or the
  // other, and half a pair sent alone. The control's Base64 of each (in UTF-8) shows that
  // it arrived whole.
  async surrogates() {
    const c = await Velsor.create({ timeoutMs: 5000, callTimeoutMs: 120000 });
    await c.VLSetCodePage(65001);
    const emoji = "\u{1F600}".repeat(4.5 * 1024 * 1024);
    const same = [];
    for (const text of [emoji, `a${emoji}`]) {
      const utf8 = new TextEncoder().encode(text);
      let binary = "";
      for (let at = 0; at < utf8.length; at += 0x8000) {
        binary += String.fromCharCode(...utf8.subarray(at, at + 0x8000));
      }
      same.push(await within(c.VLBase64Encode(text).then(
        (encoded) => encoded.replace(/[\r\n]/g, "") === btoa(binary), (error) => String(error.message)), 150000));
    }
    const lone = await within(refusalOf(c.VLSetPlainText("\ud83d")), 150000);
    const after = await within(c.getVersion(), 150000);
    c.close();
    return { same, lone, after };
  },
  async callTimeout() {
    const c = await Velsor.create({ timeoutMs: 5000 });
    c.callTimeoutMs = 1;
    const late = await refusalOf(c.VLBase64Encode(incompressible(4 * 1024 * 1024)));
    c.callTimeoutMs = 60000;
    const next = await within(c.getVersion(), 60000);
    c.close();
    return { late, next };
  },
  async controlsPerPage() {
    const controls = [];
    for (let i = 0; i < 8; ++i) controls.push(await Velsor.create({ timeoutMs: 5000 }));
    const ninth = await refusalOf(Velsor.create({ timeoutMs: 5000 }));
    controls.pop().close();
    const again = await refusalOf(Velsor.create({ timeoutMs: 5000 }).then((c) => controls.push(c)));
    controls.forEach((c) => c.close());
    return { ninth, again };
  },
  async notAllowed() {
    return refusalOf(Velsor.create({ timeoutMs: 5000 }));
  },
  // Why the control cannot be made, as a page tells it apart.
  async unavailable() {
    try {
      (await Velsor.create({ timeoutMs: 3000 })).close();
      return { code: "" };
    } catch (error) {
      return { code: error.code, update: error.update, message: String(error.message) };
    }
  },
  otherExtension() {
    return new Promise((resolve) => {
      window.addEventListener("message", (event) => {
        if (event.data?.otherAnswer) resolve(event.data.otherAnswer);
      });
      window.postMessage({ other: "try" }, "*");
    });
  },
  async timing(calls) {
    const c = await Velsor.create({ timeoutMs: 5000 });
    await c.VLSetPlainText("x");
    const started = performance.now();
    for (let i = 0; i < calls; ++i) {
      await c.VLSetPlainText("benchmark text");
      await c.VLAttachedSign(ALICE);
    }
    const elapsed = performance.now() - started;
    const roundTrips = performance.now();
    for (let i = 0; i < calls; ++i) await c.getVersion();
    const roundTrip = (performance.now() - roundTrips) / calls;
    c.close();
    return { perCallMs: elapsed / calls, roundTripMs: roundTrip };
  },
};
window.velsorReady = true;
