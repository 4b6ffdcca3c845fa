// The steps the browser test runs in the page; each returns what it saw.
import { Velsor } from "/web/velsor.js";

const ALICE = "C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
// Generous for a loaded machine; a page without the extension waits this long.

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
  async notAllowed() {
    return refusalOf(Velsor.create({ timeoutMs: 5000 }));
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
