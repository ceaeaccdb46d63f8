// Calls the host's libraries promise, and one grid call they do not.
int Count() { m_grid.DeleteAllRows(); return FileUtils::Exists("x") + m_grid.GetSelectedCount(); }
std::string Text(HWND h) { return baseutil::KWindow(h).GetWindowTextA().c_str(); }
