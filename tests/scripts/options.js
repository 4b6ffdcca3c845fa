// The options, properties and texts a page sets and reads.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
function report(what) { WScript.Echo(what + ": " + c.errorNum + " [" + c.errMsg + "]"); }

WScript.Echo("version " + c.getVersion());
WScript.Echo("MaxCompSize " + c.MaxCompSize);
c.MaxCompSize = 100;
c.MaxCompSize = -5;
WScript.Echo("MaxCompSize " + c.MaxCompSize);
c.DNspliter = "12345678";
report("DNspliter of 8");
c.DNspliter = ";";
c.VLServerMode = 1;
report("server mode");
c.VLSetCodePage(65001);
c.VLSetDigestArithmetic("");
report("empty digest");
c.VLSetDigestArithmetic("2.16.840.1.101.3.4.2.1");
c.VLSetSymmetryArithmetic("2.16.840.1.101.3.4.1.2");
report("algorithms");
c.VLSetCopyRightInfo("© Velsor 测试");
c.VLSetDialogPrompt("标题", "提示", "主题", "颁发者", "截止", "确定", "取消", "查看");
report("dialog texts");
c.VLSetPlainText("");
report("empty plain text");
c.VLSetPlainText("😀 and 中文");
WScript.Echo("extracted before any verification: [" + c.VLGetPlainText() + "]");
WScript.Echo("errorCode " + c.errorCode);

// Strings cross without loss: characters outside the BMP and zero characters.
c.VLSetCodePage(65001);
WScript.Echo("encoded: " + c.VLBase64Encode("😀"));
var smiley = c.VLBase64Decode("8J+YgA==");
WScript.Echo("decoded: " + smiley + " " + smiley.length + " " + smiley.charCodeAt(0).toString(16));
var zero = c.VLBase64Decode("YQBi");
WScript.Echo("with a zero: " + zero.length + " " + zero.charCodeAt(1));
