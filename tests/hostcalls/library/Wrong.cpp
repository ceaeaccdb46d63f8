// Calls the stand-ins offer but the host's libraries do not promise.
bool Read(HKEY hKey, DWORD &value) { return baseutil::ReadNumberFromReg(hKey, "n", value); }
std::string Text(HWND h) { return baseutil::KWindow(h).GetWindowTextA().str(); }
