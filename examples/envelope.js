// Envelopes a text for the second demo user, opens it with that user's key, and makes a
// signed-and-enveloped message from the first user to the second.
var control = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
control.VLServerMode = 1;
control.VLSetCodePage(65001);
control.VLSetSymmetryArithmetic("2.16.840.1.101.3.4.1.42");  // AES-256

control.VLSetPlainText("只给李四看");
var envelope = control.VLEncryptedEnvelop("CN=李四 Demo");
WScript.Echo("envelope for " + control.VLGetReciptCertInfo(1) + ":");
WScript.Echo(envelope);
control.VLDecryptEnvelop(envelope);
WScript.Echo("opened:", control.errorNum == 0 ? control.VLGetPlainText() : control.errMsg);

control.VLSetPlainText("签了名再加密");
var both = control.VLSignedAndEncryptedEnvelop("CN=张三 Demo", "CN=李四 Demo");
control.VLDecryptedAndVerifiedEnvelop(both);
WScript.Echo("signed and enveloped:", control.errorNum, control.VLGetPlainText());
WScript.Echo("signer: " + control.VLGetSignerCertInfo(1));
WScript.Echo("recipient: " + control.VLGetReciptCertInfo(1));

control.VLSetPlainText("for the partner");
control.VLDecryptEnvelop(control.VLEncryptedEnvelop("CN=Partner Demo"));
WScript.Echo("the partner's envelope cannot be opened here:", control.errorNum, control.errMsg);
