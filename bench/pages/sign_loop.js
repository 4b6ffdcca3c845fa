// The bridge benchmark's counterpart in velsor-script: CALLS times VLSetPlainText and
// VLAttachedSign, as the page in the browser does them. Prints milliseconds a pair.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var calls = Number(WScript.Arguments(0));
var alice = "C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
c.VLSetPlainText("x");
var started = new Date().getTime();
for (var i = 0; i < calls; ++i) {
  c.VLSetPlainText("benchmark text");
  c.VLAttachedSign(alice);
  if (c.errorNum != 0) throw new Error("signing failed: " + c.errorNum + " " + c.errMsg);
}
WScript.Echo(((new Date().getTime() - started) / calls).toFixed(2));
