// The container and file members, with the dialogs answered from the page's .ui file.
// The first argument is the folder the files are in.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var work = WScript.Arguments(0);
var alice = "C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
c.VLSetCodePage(65001);
function report(what) { WScript.Echo(what + ": " + c.errorNum + " " + c.errMsg); }

c.VLAddFormItem("表单一");
report("VLAddFormItem");
c.VLAddFile(work + "/a.txt");
report("VLAddFile by name");
c.VLAddFile("");
report("VLAddFile cancelled");
c.VLAddFile(work + "/empty.txt");
report("VLAddFile of an empty file");
var signed = c.VLAttachedSign(alice);
report("VLAttachedSign of the form");
c.VLAttachedVerify(signed);
WScript.Echo("VLGetFormItem: " + c.VLGetFormItem());
WScript.Echo("VLGetFile: " + c.VLGetFile());
report("saved where the user chose");
c.VLGetFile();
report("VLGetFile with nothing left");

c.VLAddFileForEncrypt(work + "/a.txt");
report("VLAddFileForEncrypt");
c.VLEncryptFileAndSave(WScript.Arguments(1));
report("VLEncryptFileAndSave");
c.VLAddFileForEncrypt(work + "/a.txt");
c.VLEncryptFileAndSave(c.VLBase64Encode("not a certificate"));
report("VLEncryptFileAndSave with no certificate");
c.VLAddFileForEncrypt(work + "/a.txt");
c.VLEncryptFileAndSave("MIIB");
report("VLEncryptFileAndSave of a broken certificate");

c.VLAttachedVerifySignedFile(work + "/missing.sign");
report("VLAttachedVerifySignedFile of a missing file");
c.VLAttachedVerifySignedFile("");
report("VLAttachedVerifySignedFile, chooses the signed file");
