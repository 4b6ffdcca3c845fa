// Envelopes, digests, Base64 and the certificate questions.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var alice = "C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
var bob = "C=CN, O=Velsor, OU=Testing, CN=Bob Li";
c.VLServerMode = 1;
c.VLSetCodePage(65001);
function report(what) { WScript.Echo(what + ": " + c.errorNum + " " + c.errMsg); }

c.VLSetPlainText("机密 😀");
var envelope = c.VLEncryptedEnvelop(alice);
report("VLEncryptedEnvelop");
WScript.Echo("line breaks every 64: " + (envelope.indexOf("\n") == 64));
c.VLDecryptEnvelop(envelope);
report("VLDecryptEnvelop");
WScript.Echo("content: " + c.VLGetPlainText() + " for " + c.VLGetReciptCertInfo(1));
c.VLDecryptEnvelop("not base64 at all!");
report("VLDecryptEnvelop of garbage");
WScript.Echo("recipient after a failure: [" + c.VLGetReciptCertInfo(1) + "]");
c.VLSetPlainText("signed secret");
c.VLDecryptedAndVerifiedEnvelop(c.VLSignedAndEncryptedEnvelop(bob, alice));
report("VLDecryptedAndVerifiedEnvelop");
WScript.Echo("signer " + c.VLGetSignerCertInfo(1) + ", content " + c.VLGetPlainText());
c.VLGetSignerCertInfo(6);
report("VLGetSignerCertInfo(6)");

WScript.Echo("VLHashAndBase64Encode: " + c.VLHashAndBase64Encode("abc"));
WScript.Echo("VLBase64Encode: " + c.VLBase64Encode("abc"));
WScript.Echo("VLBase64Decode: " + c.VLBase64Decode("5Lit5paH"));
c.VLBase64Encode("");
report("VLBase64Encode of nothing");

WScript.Echo("IsCertExists: " + c.IsCertExists(alice) + " " + c.IsCertExists("CN=Nobody"));
// Sorted: Windows lists a store by its certificates' thumbprints, not by when they came.
var issued = c.VLEnumCertsDNByIssers("CN=Nobody;C=CN, O=Velsor, CN=Velsor Test CA").split(";");
WScript.Echo("VLEnumCertsDNByIssers: " + issued.length + ": " + issued.sort().slice(0, 2).join(" / "));
WScript.Echo("key usage: " + (c.VLGetCertExtension("CN=Alice Zhang, OU=Testing, O=Velsor, C=CN",
                                                   "2.5.29.15") != ""));
c.VLGetCertExtension(alice, "1.2.3.4");
report("VLGetCertExtension of a missing extension");
