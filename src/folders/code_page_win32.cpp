// UseSystemCodePage (code_page_win32.h): the system lists the lead-byte ranges of a code page in
// the same form as SetLeadByteRanges takes them.
#include <windows.h>

#include "folders/code_page.h"
#include "folders/code_page_win32.h"

static_assert(kLeadByteRangeBytes == MAX_LEADBYTES, "the system's list of lead-byte ranges");

void UseSystemCodePage() {
  CPINFO info;
  SetLeadByteRanges(GetCPInfo(CP_ACP, &info) ? info.LeadByte : nullptr);
}
