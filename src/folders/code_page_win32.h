// The lead bytes of the system code page, from Windows.
#pragma once

// Sets the lead bytes (folders/code_page.h) of the code page that the "A" calls of this process
// take: the system's, CP_ACP. Called once at start-up, before any path is walked.
void UseSystemCodePage();
