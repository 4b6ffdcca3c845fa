// Files named the Windows way: a page's path with backslashes, and a save to where the
// user chose in the save dialog (answered by the scripted dialogs).
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
var work = WScript.Arguments(0);
c.VLAddFile(work + "\\a.txt");
WScript.Echo("VLAddFile with backslashes: " + c.errorNum);
c.VLAddFileForEncrypt(work + "\\a.txt");
WScript.Echo("VLAddFileForEncrypt with backslashes: " + c.errorNum);
c.VLEncryptFileAndSave(WScript.Arguments(1));
WScript.Echo("VLEncryptFileAndSave where the user chose: " + c.errorNum);
