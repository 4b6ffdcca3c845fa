// Signs after the user picks a certificate in the chooser.
var c = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
c.VLSetDialogPrompt("请选择签名证书", "请在列表中选择证书", "主题", "颁发者", "截止日期",
                    "确定", "取消", "查看");
c.VLSetPlainText("picked by the user");
var signature = c.VLAttachedSign("");
WScript.Echo("errorNum " + c.errorNum);
c.VLAttachedVerify(signature);
WScript.Echo("verified " + c.errorNum + " " + c.VLGetPlainText());
WScript.Echo("signer " + c.VLGetSignerCertInfo(1));
