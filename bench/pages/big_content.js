// Signs MIB mebibytes of text and verifies the signature, as a bank's page and the page
// that checks it would: the signing page lets go of its text once it is signed, and the
// verifying side compares what it recovers by length and by a sample.
// Run by scripts/memory, which reads the process's peak memory.
var mib = WScript.Arguments.length > 0 ? parseInt(WScript.Arguments(0), 10) : 64;
var signer = WScript.Arguments.length > 1 ? WScript.Arguments(1) : "CN=张三 Demo";
// "uncompressed" signs with compression off: the message's Base64 is then a third longer
// than the content instead of about a tenth.
var uncompressed = WScript.Arguments.length > 2 && WScript.Arguments(2) == "uncompressed";
// 64 KiB of random printable characters, repeated: repeats further apart than deflate's
// window leave nothing for compression to find beyond the characters' own entropy.
var block = [];
for (var i = 0; i < 65536; ++i) block.push(String.fromCharCode(32 + Math.floor(Math.random() * 95)));
var text = block.join("");
block = null;
while (text.length < mib * 1048576) text = text + text;
var length = text.length;
var sample = text.substring(0, 64);

var control = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
control.VLServerMode = 1;
if (uncompressed) control.MaxCompSize = 2147483647;
control.VLSetPlainText(text);
text = null;
var signature = control.VLAttachedSign(signer);
if (control.errorNum != 0) { WScript.Echo("signing failed", control.errorNum); WScript.Quit(1); }

control.VLAttachedVerify(signature);
signature = null;
if (control.errorNum != 0) { WScript.Echo("verification failed", control.errorNum); WScript.Quit(1); }
var back = control.VLGetPlainText();
if (back.length != length || back.substring(0, 64) != sample) {
  WScript.Echo("the verified text differs");
  WScript.Quit(1);
}
WScript.Echo("signed and verified " + mib + " MiB");
