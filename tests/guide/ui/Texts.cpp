// Texts for the guide check's own test: each way of showing one, found in the
// guide or not (tests/guide/guide.md).
void Texts(HWND hWnd, const std::string &name)
{
    ShowMessage(hWnd, "Shown directly.", "Caption in the guide", MB_OK);
    ShowMessage(hWnd, "Missing directly.", "", MB_OK);
    std::string text = "Composed in the guide " + name;
    text += " missing part";
    ShowMessage(hWnd, text.c_str(), "Missing caption", MB_OK);
    m_pEdit->m_stWarning.SetWindowTextA("First line\nSecond line missing");
}
