// Signs a text with the demo user's certificate and verifies the signature, as a page
// would: run with velsor-script after `velsor demo-pki` and registering the module.
var control = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
control.VLServerMode = 1;  // pick the certificate by DN, without the chooser dialog
control.VLSetCodePage(65001);

var signer = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "CN=张三 Demo";
control.VLSetPlainText("付款 100 元给 Partner Demo");
var signature = control.VLAttachedSign(signer);
if (control.errorNum != 0) {
  WScript.Echo("signing failed:", control.errorNum, control.errMsg);
  WScript.Quit(1);
}
WScript.Echo("signature:");
WScript.Echo(signature);

control.VLAttachedVerify(signature);
if (control.errorNum != 0) {
  WScript.Echo("verification failed:", control.errorNum, control.errMsg);
  WScript.Quit(1);
}
WScript.Echo("verified: " + control.VLGetPlainText());
var details = ["subject", "issuer", "not before", "not after", "serial number"];
for (var type = 1; type <= 5; ++type) {
  WScript.Echo(details[type - 1] + ": " + control.VLGetSignerCertInfo(type));
}
