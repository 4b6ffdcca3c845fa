// Signs with the key on a token and opens an envelope with it, as a page would: run with
// velsor-script after `velsor demo-pki --token`, with SOFTHSM2_CONF exported as it says.
// The token's PIN (123456 for the demo token) is asked in a dialog when the key is used.
var control = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
control.VLServerMode = 1;
control.VLSetCodePage(65001);

var signer = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "CN=王五 Token Demo";
function check(what) {
  if (control.errorNum == 0) return;
  // -10051: the PIN dialog was cancelled; -10052: it was left unanswered.
  WScript.Echo(what + " failed:", control.errorNum, control.errMsg, control.errorCode);
  WScript.Quit(1);
}

control.VLSetPlainText("令牌签名 signed on the token");
var signature = control.VLAttachedSign(signer);
check("signing");
WScript.Echo("signature:");
WScript.Echo(signature);
control.VLAttachedVerify(signature);
check("verification");
WScript.Echo("verified: " + control.VLGetPlainText() + " by " + control.VLGetSignerCertInfo(1));

control.VLSetPlainText("for the token's key only");
var envelope = control.VLEncryptedEnvelop(signer);
check("enveloping");
control.VLDecryptEnvelop(envelope);
check("opening");
WScript.Echo("opened: " + control.VLGetPlainText());
