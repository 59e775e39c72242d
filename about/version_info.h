#pragma once
// The ProductVersion of the running executable, as "Ver.:1.0.1.105".

// Points at a text that lives as long as the process. A successful lookup is kept, so the version
// record is read at most once; a failed one gives the empty text and is tried again next time.
// User-interface thread only.
const wchar_t* GetVersionText();
