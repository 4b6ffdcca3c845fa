// The bank page's script: one control object for the page, every call awaited, errorNum
// read after each one as pages always have.
import { Velsor } from "../../web/velsor.js";

const $ = (id) => document.getElementById(id);
const status = (text) => { $("status").textContent = text; };

let control;
try {
  control = await Velsor.create();
  status(`Velsor ${await control.getVersion()} is ready.`);
} catch (error) {
  status(error.message);
}

$("sign").addEventListener("click", async () => {
  if (!control) return;
  await control.VLSetCodePage(65001);
  await control.VLSetPlainText($("transfer").value);
  const signature = await control.VLAttachedSign($("signer").value);
  if (control.errorNum !== 0) {
    status(`Not signed: ${control.errorNum} ${control.errMsg}`);
    return;
  }
  $("signature").value = signature;
  status("Signed. The bank would now receive the signature.");
});

$("verify").addEventListener("click", async () => {
  if (!control) return;
  await control.VLAttachedVerify($("signature").value);
  if (control.errorNum !== 0) {
    status(`The signature does not hold: ${control.errorNum} ${control.errMsg}`);
    return;
  }
  const signed = await control.VLGetPlainText();
  const signer = await control.VLGetSignerCertInfo(1);
  const serial = await control.VLGetSignerCertInfo(5);
  status(`Valid.\nSigned text: ${signed}\nSigner: ${signer}\nSerial number: ${serial}`);
});
