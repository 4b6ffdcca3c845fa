// A server signing all day: CALLS server-mode VLAttachedSign calls of 1 KiB each by the
// demo user with a signature key, as a bank's server page makes them. Prints milliseconds
// a signature. Run by scripts/bench-pages.
var calls = WScript.Arguments.length > 0 ? Number(WScript.Arguments(0)) : 200;
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
c.VLServerMode = 1;
var text = "";
while (text.length < 1024) text += "transfer 100 yuan to account 6222 0200 1234 5678; ";
text = text.substring(0, 1024);
var dn = "C=CN, O=Velsor Demo, CN=李四 Demo";
var started = new Date().getTime();
for (var i = 0; i < calls; ++i) {
  c.VLSetPlainText(text);
  c.VLAttachedSign(dn);
  if (c.errorNum != 0) throw new Error("signing failed: " + c.errorNum + " " + c.errMsg);
}
WScript.Echo(((new Date().getTime() - started) / calls).toFixed(3));
