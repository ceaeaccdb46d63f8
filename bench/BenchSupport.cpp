#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>

#include "host/baseutil.h"
#include "host/hostapi.h"

namespace bench {

double Now()
{
    static const double s_frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / s_frequency;
}

double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

std::string Format(const char *fmt, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof(buffer), fmt, args);
    va_end(args);
    return buffer;
}

void Row(const std::string &name, const std::string &figure, const std::string &unit, const std::string &notes)
{
    std::printf("@row\t%s\t%s\t%s\t%s\n", name.c_str(), figure.c_str(), unit.c_str(), notes.c_str());
    std::fflush(stdout);
}

void MakeFolder(const std::string &path)
{
    for (size_t pos = path.find('\\', 3); pos != std::string::npos; pos = path.find('\\', pos + 1))
        ::CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA fd;
    mimic::UniqueFind find(::FindFirstFileA((path + "\\*").c_str(), &fd));
    if (find)
    {
        do
        {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\" + name);
            else
                ::DeleteFileA((path + "\\" + name).c_str());
        } while (::FindNextFileA(find.get(), &fd));
    }
    find.reset();
    ::RemoveDirectoryA(path.c_str());
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    mimic::UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadBytes(const std::string &path)
{
    std::string out;
    mimic::UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got)
        out.append(buffer, got);
    return out;
}

BenchHost::BenchHost(const char *tag)
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    root = Format("%smimic-bench-%s-%lu", temp, tag, static_cast<unsigned long>(::GetCurrentProcessId()));
    RemoveTree(root);
    install = root + "\\inst";
    work = root + "\\work";
    local = work + "\\Actions";
    global = install + "\\Script\\Actions";
    MakeFolder(local);
    MakeFolder(global);
    NewHost();
}

BenchHost::~BenchHost()
{
    host.Reset();
    RemoveTree(root);
}

void BenchHost::NewHost()
{
    host.Reset();
    host = refhost::RefFramework::Create();
    host->SetInstallDir(install + "\\");
    host->OpenWorkspace(work + "\\proj.wsp");
    host->OpenPlugIn(CLSID_HostPlugIn);
    host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
}

void BenchHost::SetNumber(const char *name, DWORD value)
{
    mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
    baseutil::WriteNumberToReg(key.get(), name, value);
}

void RestoreIni(const IniFiles &files)
{
    for (const auto &file : files)
    {
        WriteBytes(file.first, file.second);
        // Let the platform's profile cache see the file as it is now.
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.first.c_str());
    }
}

IniFiles MakeActions(const BenchHost &where, int count, bool bothFolders, int sectionEvery, const std::string &accel)
{
    std::map<std::string, std::string> ini; // folder -> text
    for (int i = 0; i < count; ++i)
    {
        const std::string &folder = (bothFolders && i % 2) ? where.global : where.local;
        const std::string name = Format("action_%05d", i);
        const std::string path = folder + "\\" + name + ".pl";
        WriteBytes(path, "# action\n");
        if (sectionEvery > 0 && i % sectionEvery == 0)
            ini[folder] += "[" + name + "]\r\nPlayMode=2\r\nAccel=" + accel + "\r\nFilePath=" + path +
                           "\r\nAddToMenu=1\r\n";
    }
    IniFiles files;
    for (const auto &folder : ini)
        files.emplace_back(folder.first + "\\mimic.ini", folder.second);
    RestoreIni(files);
    return files;
}

void LetIniSettle()
{
    ::Sleep(2200);
}

PlugInDll::~PlugInDll()
{
    Unload();
}

std::string PlugInDll::Path()
{
    std::string path = MIMIC_DLL_PATH;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool PlugInDll::Load()
{
    m_dll = ::LoadLibraryA(Path().c_str());
    if (!m_dll)
        return false;
    m_getClassObject = reinterpret_cast<decltype(m_getClassObject)>(
        reinterpret_cast<void *>(::GetProcAddress(m_dll, "DllGetClassObject")));
    m_canUnloadNow = reinterpret_cast<decltype(m_canUnloadNow)>(
        reinterpret_cast<void *>(::GetProcAddress(m_dll, "DllCanUnloadNow")));
    return m_getClassObject && m_canUnloadNow;
}

bool PlugInDll::Create()
{
    mimic::ComPtr<IClassFactory> factory;
    if (!m_getClassObject || m_getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, factory.PutVoid()) != S_OK)
        return false;
    return factory->CreateInstance(nullptr, IID_IPlugIn, plugIn.PutVoid()) == S_OK &&
           plugIn.As(IID_IMimic, mimic) == S_OK;
}

bool PlugInDll::Unload()
{
    mimic.Reset();
    plugIn.Reset();
    if (!m_dll)
        return true;
    const bool canUnload = m_canUnloadNow && m_canUnloadNow() == S_OK;
    ::FreeLibrary(m_dll);
    m_dll = nullptr;
    m_getClassObject = nullptr;
    m_canUnloadNow = nullptr;
    return canUnload;
}

} // namespace bench
