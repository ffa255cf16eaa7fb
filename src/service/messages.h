#pragma once
// Every text the service shows to a person: the "message" of refused API calls (the client shows
// it in a message box) and the notices of the pages. Chinese for the program's users, English for
// everyone else.
namespace kzsvc::msg {

// User names (sign-up).
inline constexpr char kNameMissing[] = "请输入用户名。Please enter a user name.";
inline constexpr char kNameTooLong[] = "用户名过长（最多 30 个字符）。The user name is too long (at most 30 characters).";
inline constexpr char kNameBadCharacters[] =
    "用户名含有不允许的字符。The user name contains characters that are not allowed.";
inline constexpr char kNameReserved[] = "该用户名被保留，请换一个。This user name is reserved; please choose another.";
inline constexpr char kNameTaken[] = "该用户名已被注册。This user name is already taken.";

// Passwords (sign-up and recovery).
inline constexpr char kPasswordMissing[] = "请输入密码。Please enter a password.";
inline constexpr char kPasswordTooShort[] = "密码至少需要 6 个字符。The password needs at least 6 characters.";
inline constexpr char kPasswordTooLong[] = "密码过长（最多 128 个字符）。The password is too long (at most 128 characters).";
inline constexpr char kPasswordBadCharacters[] =
    "密码含有不允许的字符。The password contains characters that are not allowed.";
inline constexpr char kPasswordsDiffer[] = "两次输入的密码不一致。The two passwords do not match.";

// Recovery.
inline constexpr char kRecoveryMissing[] = "请输入用户名和恢复码。Please enter the user name and the recovery code.";
inline constexpr char kRecoveryWrong[] = "用户名或恢复码错误。Wrong user name or recovery code.";

// Log-in and sessions.
inline constexpr char kLoginMissing[] = "请输入用户名和密码。Please enter the user name and the password.";
inline constexpr char kLoginWrong[] = "用户名或密码错误。Wrong user name or password.";
inline constexpr char kTooManyAttempts[] = "尝试次数过多，请一分钟后再试。Too many attempts; please try again in a minute.";
inline constexpr char kTokenUnknown[] = "登录已失效，请重新登录。This session is not known; please log in again.";
inline constexpr char kTokenExpired[] = "登录已过期，请重新登录。This session has expired; please log in again.";
inline constexpr char kUserMismatch[] =
    "用户名与登录的账号不符。The user name does not match the account of this session.";

// Sync documents.
inline constexpr char kDocumentMissing[] = "缺少同步数据。The sync document is missing.";
inline constexpr char kDocumentTooLarge[] = "同步数据过大。The sync document is too large.";
inline constexpr char kDocumentNotJson[] = "同步数据不是有效的 JSON 对象。The sync document is not a valid JSON object.";
inline constexpr char kDocumentBadUser[] = "同步数据中的 kz_user 不是对象。The kz_user member of the sync document is not an object.";
inline constexpr char kNoDocument[] = "服务器上还没有同步数据。No sync document is stored yet.";
inline constexpr char kDocumentDamaged[] = "服务器上的同步数据已损坏。The stored sync document is damaged.";

// Any other request whose body is past what the service takes.
inline constexpr char kRequestTooLarge[] = "请求过大。The request is too large.";

// Anything the service itself failed at (database, random source).
inline constexpr char kServerFault[] = "服务器内部错误，请稍后再试。Internal error of the service; please try again later.";

// Page notices of success.
inline constexpr char kSignedUp[] = "注册成功！Your account has been created.";
inline constexpr char kPasswordReset[] = "密码已更改，请用新密码登录。The password has been changed; log in with the new one.";

}  // namespace kzsvc::msg
