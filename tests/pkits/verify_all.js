// Verifies every message of the suite as a page would, attached and detached, on one
// control, and prints one line per test: its name and both errorNum values.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
c.VLServerMode = 1;
c.VLSetCodePage(65001);
for (var i = 0; i < messages.length; i++) {
  var m = messages[i];
  c.VLAttachedVerify(m[3]);
  var attached = c.errorNum;
  if (attached == 0 && c.VLGetPlainText() != m[2]) attached = "content-differs";
  c.VLDetachedVerify(m[1], m[2]);
  WScript.Echo(m[0] + "\t" + attached + "\t" + c.errorNum);
}
