#pragma once

#include <utility>

// The 32 settings as a first exit stores them, in storage order.
inline constexpr std::pair<const char*, const char*> kStoredDefaults[] = {
    {"ToolBar", "1"},
    {"QuickBar", "0"},
    {"NOOP", "1"},
    {"LogWindow", "1"},
    {"QueueWindow", "1"},
    {"LocalTab", "1"},
    {"QueueProcessing", "0"},
    {"ConnectionType", "Direct"},
    {"ThreadsAllowed", "3"},
    {"AttemptsAllowed", "3"},
    {"ProxyServer", ""},
    {"ProxyPort", "8021"},
    {"SocksServer", ""},
    {"SocksPort", "1080"},
    {"SocksUser", ""},
    {"SocksPass", ""},
    {"FtpCommandColor", "16711680"},
    {"FtpResponseColor", "32768"},
    {"InfoMsgColor", "0"},
    {"ErrorMsgColor", "255"},
    {"QueueColor", "-2147483643"},
    {"FtpLogColor", "16777215"},
    {"LocalListColor", "-2147483643"},
    {"RemoteListColor", "0"},
    {"PromptOverwrite", "1"},
    {"DeleteCompleted", "0"},
    {"OverwriteOption", "0"},
    {"FileRenameOption", "0"},
    {"ZipOptions", "0"},
    {"TransferCompleteWave", ""},
    {"TransferErrorWave", ""},
    {"InactivityTimeout", "30"}};
