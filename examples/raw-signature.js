// A raw signature of a text with the demo user's signature key, its check with the
// certificate from the address book, and the text's digest.
var control = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
control.VLServerMode = 1;
control.VLSetCodePage(65001);

var text = "raw signature example";
control.VLSetPlainText(text);
var signature = control.VLUseKeySpecRawSign("CN=李四 Demo");
WScript.Echo("raw signature by " + control.VLGetSignerCertInfo(1) + ":");
WScript.Echo(signature);
control.VLRawVerify(signature, "CN=李四 Demo", text);
WScript.Echo("verified:", control.errorNum);
control.VLRawVerify(signature, "CN=李四 Demo", text + ".");
WScript.Echo("another text:", control.errorNum, control.errMsg);
WScript.Echo("SHA-1 digest: " + control.VLHashAndBase64Encode(text));
