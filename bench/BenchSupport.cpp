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

void BenchHost::SetNumber(const char *name, DWORD value)
{
    mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
    baseutil::WriteNumberToReg(key.get(), name, value);
}

void RestoreIni(const IniFiles &files)
{
    for (const auto &file : files)
    {
        WriteTextFile(file.first, file.second);
        // Let the platform's profile cache see the file as it is now.
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.first.c_str());
    }
}

IniFiles MakeActions(const BenchHost &where, int count, bool bothFolders, int sectionEvery, const std::string &accel)
{
    std::map<std::string, std::string> ini; // folder -> text
    for (int i = 0; i < count; ++i)
    {
        const std::string &folder = (bothFolders && i % 2) ? where.globalDir : where.localDir;
        const std::string name = Format("action_%05d", i);
        const std::string path = folder + "\\" + name + ".pl";
        WriteTextFile(path, "# action\n");
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

std::string PlugInDll::Path()
{
    return support::WindowsPathOf(MIMIC_DLL_PATH);
}

bool PlugInDll::Create()
{
    return TakeFactory() == S_OK && factory->CreateInstance(nullptr, IID_IPlugIn, plugIn.PutVoid()) == S_OK &&
           plugIn.As(IID_IMimic, mimic) == S_OK;
}

bool PlugInDll::Unload()
{
    mimic.Reset();
    plugIn.Reset();
    return Release();
}

} // namespace bench
