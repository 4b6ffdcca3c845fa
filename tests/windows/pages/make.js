// Makes an attached and a detached signature by the signer and an RC4 envelope for the
// recipient, each on one line as Base64 without line breaks, for the other platform to
// check. ASCII only, as Windows Script Host reads scripts in the ANSI code page.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var signer = WScript.Arguments(0);
var text = WScript.Arguments(1);
c.VLServerMode = 1;
c.VLSetCodePage(65001);
c.VLSetSymmetryArithmetic("1.2.840.113549.3.4");
function line(name, value) {
  WScript.Echo(name + "=" + (c.errorNum == 0 ? value.replace(/[\r\n]/g, "") : "error " + c.errorNum));
}
c.VLSetPlainText(text);
line("attached", c.VLAttachedSign(signer));
line("detached", c.VLDetachedSign(text, signer));
c.VLSetPlainText(text);
line("envelope", c.VLEncryptedEnvelop(signer));
