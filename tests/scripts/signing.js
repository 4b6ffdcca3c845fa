// Every signing member, and the verification members on what they made, in server mode.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var alice = "C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
var bob = "C=CN, O=Velsor, OU=Testing, CN=Bob Li";
var ca = "C=CN, O=Velsor, CN=Velsor Test CA";
c.VLServerMode = 1;
c.VLSetCodePage(65001);
function report(what, result) {
  var shown = result === undefined ? "" : (result.length > 100 ? " (signature)" : " [" + result + "]");
  WScript.Echo(what + ": " + c.errorNum + " " + c.errMsg + shown +
               (c.errorNum == 0 ? " by " + c.VLGetSignerCertInfo(5) : ""));
}
function signPending(member, args) {
  c.VLSetPlainText("签名原文");
  // Called by name rather than through apply: Windows Script Host's JScript cannot take a
  // member of a control as a function value.
  var result = args.length == 2 ? c[member](args[0], args[1]) : c[member](args[0]);
  report(member, result);
  return result;
}

var attached = signPending("VLAttachedSign", [alice]);
c.VLAttachedVerify(attached); report("VLAttachedVerify");
WScript.Echo("content: " + c.VLGetPlainText());
c.VLAfterwardsVerify(attached); report("VLAfterwardsVerify");
report("VLAttachedSign again", c.VLAttachedSign(alice));
signPending("VLUseKeySpecAttachedSign", [bob]);
report("VLAttachedSign without DN", c.VLAttachedSign(""));

var detached = c.VLDetachedSign("分离", alice); report("VLDetachedSign", detached);
c.VLDetachedVerify(detached, "分离"); report("VLDetachedVerify");
c.VLDetachedVerify(detached, "其他"); report("VLDetachedVerify other text");
report("VLUseKeySpecDetachedSign", c.VLUseKeySpecDetachedSign("x", bob));

signPending("VLAttachedSignByIssuerSN", ["1001", ca]);
signPending("VLUseKeySpecAttachedSignByIssuerSN", ["1002", ca]);
signPending("VLAttachedSignBySN", ["1001"]);
signPending("VLUseKeySpecAttachedSignBySN", [""]);
report("VLDetachedSignByIssuerSN", c.VLDetachedSignByIssuerSN("x", "1001", ca));
report("VLUseKeySpecDetachedSignByIssuerSN", c.VLUseKeySpecDetachedSignByIssuerSN("x", "1001", ca));
report("VLDetachedSignBySN", c.VLDetachedSignBySN("x", "1001"));
report("VLUseKeySpecDetachedSignBySN", c.VLUseKeySpecDetachedSignBySN("x", "1002"));

var raw = signPending("VLRawSign", [alice]);
c.VLRawVerify(raw, alice, "签名原文"); report("VLRawVerify");
c.VLRawVerify(raw, alice, "签名原文!"); report("VLRawVerify other text");
signPending("VLUseKeySpecRawSign", [alice]);

var advanced = signPending("VLAdvanceAttachedSign", [alice]);
c.VLAdvanceAttachedVerify(advanced); report("VLAdvanceAttachedVerify");
WScript.Echo("content: " + c.VLGetPlainText());
signPending("VLUseSpecAdvanceAttachedSign", [bob]);
var advancedDetached = c.VLAdvanceDetachedSign("分离", alice);
report("VLAdvanceDetachedSign", advancedDetached);
c.VLAdvanceDetachedVerify(advancedDetached, "分离"); report("VLAdvanceDetachedVerify");
report("VLUseSpecAdvanceDetachedSign", c.VLUseSpecAdvanceDetachedSign("x", bob));

var both = signPending("VLSignedAndEncryptedEnvelop", [bob, alice]);
WScript.Echo("recipient " + c.VLGetReciptCertInfo(1));
signPending("VLUseKeySpecSignedAndEncryptedEnvelop", [bob, ""]);
