#pragma once
// The fixed texts the control reports in errMsg.

#include <string>
#include <string_view>

namespace velsor::control::messages {

inline constexpr std::u16string_view kNoMemory = u"没有可用的内存空间";
inline constexpr std::u16string_view kNoMemoryForTexts = u"无可用内存空间";
inline constexpr std::u16string_view kSourceEmpty = u"源数据为空";
inline constexpr std::u16string_view kDefaultDnRequired = u"必须设置默认证书DN";
inline constexpr std::u16string_view kDnDataEmpty = u"设置的DN数据为空";
inline constexpr std::u16string_view kDnEmpty = u"DN为空";
inline constexpr std::u16string_view kUserCancelled = u"用户取消";
inline constexpr std::u16string_view kNoStubPathKey = u"找不到包含文件保存路径的注册表记录项!";
inline constexpr std::u16string_view kNoStubPathValue =
    u"在相应注册表记录项中找不到“stubPath”值域!";
inline constexpr std::u16string_view kNoSeparator = u"未设置DN分隔符";
inline constexpr std::u16string_view kTooManySeparators = u"DN分隔符超限";
inline constexpr std::u16string_view kCharsetConversionFailed = u"字符编码转换失败";
inline constexpr std::u16string_view kConversionFailed = u"编码转换失败";
inline constexpr std::u16string_view kDnTooLong = u"DN太长";
inline constexpr std::u16string_view kIssuerDnTooLong = u"IssuerDN太长";
inline constexpr std::u16string_view kDnDataTooLong = u"设置的DN数据太长";
inline constexpr std::u16string_view kFileNameTooLong = u"文件名超长";
inline constexpr std::u16string_view kDnInvalid = u"DN验证失败";
inline constexpr std::u16string_view kInvalidAlgorithm = u"无效的算法标识";

inline constexpr std::u16string_view kSigningFailed = u"签名失败";
inline constexpr std::u16string_view kSignedEnvelopeFailed = u"制作带签名的数字信封失败";
inline constexpr std::u16string_view kEncryptionFailed = u"加密失败";
inline constexpr std::u16string_view kVerificationFailed = u"验证错误";
inline constexpr std::u16string_view kEnvelopeOpeningFailed = u"解密带签名的数字信封错误";
inline constexpr std::u16string_view kDigestFailed = u"摘要失败";
inline constexpr std::u16string_view kBase64EncodeFailed = u"Base64编码失败";
inline constexpr std::u16string_view kBase64DecodeFailed = u"Base64解码失败";
inline constexpr std::u16string_view kStoreUnavailable = u"打不开证书存储区";
inline constexpr std::u16string_view kExtensionFailed = u"获取证书扩展失败";
inline constexpr std::u16string_view kAddItemFailed = u"加入表单失败";
inline constexpr std::u16string_view kAddFileFailed = u"加入文件失败";
inline constexpr std::u16string_view kFormTextEncodeFailed = u"带格式原文数据编码失败";
inline constexpr std::u16string_view kNotFormText = u"不是约定原文，不可分解";
inline constexpr std::u16string_view kTakeItemFailed = u"取出表单失败";
inline constexpr std::u16string_view kTakeFileFailed = u"取出文件失败";
inline constexpr std::u16string_view kReadFileFailed = u"读取文件失败";
inline constexpr std::u16string_view kSaveFileFailed = u"保存文件失败";

// The message for a certificate-detail type outside 1 to 5. It is kept as GBK bytes, as
// it always was, and widened from GBK whatever code page the page has chosen.
std::u16string TypeError();

}  // namespace velsor::control::messages
