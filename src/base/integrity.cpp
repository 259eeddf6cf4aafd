#include "base/integrity.h"

#include "base/handles.h"

namespace {

std::optional<DWORD> TokenLevel(HANDLE token) {
    // A label holds one SID with a single sub-authority: the level.
    alignas(TOKEN_MANDATORY_LABEL)
        BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size))
        return std::nullopt;
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (count == 0)
        return std::nullopt;
    return *GetSidSubAuthority(sid, count - 1u);
}

IntegrityReading ReadToken(HANDLE process) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw))
        return {std::nullopt, GetLastError() == ERROR_ACCESS_DENIED};
    handles::UniqueHandle token{raw};
    auto level = TokenLevel(token.get());
    return {level, !level && GetLastError() == ERROR_ACCESS_DENIED};
}

} // namespace

IntegrityReading ProcessIntegrity(DWORD processId) {
    handles::UniqueHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)};
    if (!process)
        return {std::nullopt, GetLastError() == ERROR_ACCESS_DENIED};
    return ReadToken(process.get());
}

DWORD OwnIntegrityLevel() {
    return ReadToken(GetCurrentProcess()).level.value_or(SECURITY_MANDATORY_MEDIUM_RID);
}
