// The container and file members with files named the Windows way: a form with a file read
// by a path with backslashes, signed and opened again, its file saved where the user chose
// (answered by the scripted dialogs), a file encrypted and saved the same way.
// Arguments: the folder, the recipient's certificate as Base64, the signer's DN.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var work = WScript.Arguments(0);
c.VLSetCodePage(65001);
function report(what) { WScript.Echo(what + ": " + c.errorNum); }

c.VLAddFormItem("form item");
report("VLAddFormItem");
c.VLAddFile(work + "\\a.txt");
report("VLAddFile with backslashes");
c.VLServerMode = 1;
var signed = c.VLAttachedSign(WScript.Arguments(2));
report("VLAttachedSign of the form");
c.VLServerMode = 0;
c.VLAttachedVerify(signed);
report("VLAttachedVerify of the form");
WScript.Echo("VLGetFormItem: " + c.VLGetFormItem());
WScript.Echo("VLGetFile: " + c.VLGetFile());
report("saved where the user chose");
c.VLAddFileForEncrypt(work + "\\a.txt");
report("VLAddFileForEncrypt with backslashes");
c.VLEncryptFileAndSave(WScript.Arguments(1));
report("VLEncryptFileAndSave where the user chose");
c.VLAttachedVerifySignedFile(work + "\\missing.sign");
report("VLAttachedVerifySignedFile of a missing file");
