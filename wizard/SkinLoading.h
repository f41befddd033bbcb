// Hands the enciphered skin archive to the toolkit before the main window is
// built, and creates the dispatch window for the install task's reports.
#pragma once

class ByteBuffer;

// Does nothing in a silent run. The buffer must outlive every window.
void LoadSkin(ByteBuffer& skin);
