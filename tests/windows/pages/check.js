// Checks what make.js made on the other platform: both signatures verify for the text and
// the envelope opens to it. ASCII only, as Windows Script Host reads scripts in the ANSI
// code page.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var attached = WScript.Arguments(0);
var detached = WScript.Arguments(1);
var envelope = WScript.Arguments(2);
var text = WScript.Arguments(3);
c.VLServerMode = 1;
c.VLSetCodePage(65001);
c.VLAttachedVerify(attached);
WScript.Echo("attached: " + c.errorNum + " " + (c.errorNum == 0 ? c.VLGetPlainText() == text : "") +
             " " + c.VLGetSignerCertInfo(1));
c.VLDetachedVerify(detached, text);
WScript.Echo("detached: " + c.errorNum);
c.VLDecryptEnvelop(envelope);
WScript.Echo("envelope: " + c.errorNum + " " + (c.errorNum == 0 ? c.VLGetPlainText() == text : ""));
