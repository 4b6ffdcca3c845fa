// Packs two form items into the signed text, signs, verifies and takes them out again.
var control = new ActiveXObject("Velsor.TolvaneVelsor20_64.1");
control.VLServerMode = 1;
control.VLSetCodePage(65001);

control.VLAddFormItem("订单号: 2026-1208");
control.VLAddFormItem("金额: 100.00");
var signature = control.VLAttachedSign("CN=张三 Demo");
control.VLAttachedVerify(signature);
WScript.Echo("verified:", control.errorNum, "signed by", control.VLGetSignerCertInfo(1));
for (;;) {
  var item = control.VLGetFormItem();
  if (control.errorNum != 0 || item == "") break;
  WScript.Echo("item: " + item);
}
