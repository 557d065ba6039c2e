#pragma once

// Kinds of session log lines (error, information, FTP command, FTP reply).
enum : int { kLogError = 0, kLogInformation = 1, kLogCommand = 2, kLogReply = 3 };
