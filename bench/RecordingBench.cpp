// What recording one command costs: through IMimic::RecordEvent, through a
// document reporting it to the sink the recorder advised on it
// (IMimicEventSink::OnRecordEvent), through ScriptWriter::WriteCommand alone,
// and the floor, raw WriteFile calls writing the same lines to a file opened
// the way the writer opens its script. The four take turns batch by batch, so
// that a busy machine slows them alike. Prints figures; asserts nothing.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "library/ActionCatalogue.h"
#include "script/ScriptWriter.h"

using namespace bench;

namespace {

const int kBatch = 10000;
const int kReps = 7;
const char kCommand[] = "PlacePart";

// The ExecuteCommand lines of a script, each with its line feed.
std::vector<std::string> CommandLines(const std::string &script)
{
    std::vector<std::string> lines;
    for (size_t p = 0, end; (end = script.find('\n', p)) != std::string::npos; p = end + 1)
        if (script.compare(p, 1, "\t") == 0 && script.find("->ExecuteCommand(", p) < end)
            lines.push_back(script.substr(p, end - p + 1));
    return lines;
}

template <typename Write>
void Batch(std::vector<double> &samples, Write write)
{
    const double t0 = Now();
    write();
    samples.push_back(Now() - t0);
}

} // namespace

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<std::string> params;
    for (int i = 0; i < kBatch; ++i)
        params.push_back(Format("Part=R%d, X=1200, Y=%d, Name='net_%d'", i, i % 977, i % 31));

    BenchHost where("record");
    mimic::ActionCatalogue catalogue;

    // The lines a batch adds to a script, for the raw writes: the writer names
    // the starting document $Nexo0, as the recording does.
    std::vector<std::string> lines;
    {
        mimic::ScriptWriter probe(catalogue);
        probe.Open((where.temp / "probe.pl").c_str(), 0);
        for (const std::string &p : params)
            probe.WriteCommand("v", kCommand, p.c_str());
        probe.Close();
        lines = CommandLines(ReadTextFile(where.temp / "probe.pl"));
    }

    where.SetNumber("Record Temporary Task", 2); // no dialog before the recording
    PlugInDll dll;
    if (!dll.Load() || !dll.Create() || dll.plugIn->Initialize(where.Framework(), 9) != S_OK)
    {
        std::printf("cannot start %s\n", PlugInDll::Path().c_str());
        return 1;
    }
    refhost::RefDocument *document = where.host->OpenDocument(1, "start.bde");
    dll.mimic->StartRecording(nullptr, 1);
    long state = 0, cookie = 0;
    dll.mimic->GetRecorderState(&state, &cookie);
    if (state != 1)
    {
        std::printf("the recording did not start\n");
        return 1;
    }
    mimic::ScriptWriter writer(catalogue);
    writer.Open((where.temp / "writer.pl").c_str(), 0);
    mimic::UniqueFile raw(::CreateFileA((where.temp / "raw.pl").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));

    std::vector<double> viaMimic, viaSink, viaWriter, viaRaw;
    for (int r = 0; r < kReps; ++r)
    {
        Batch(viaMimic, [&] {
            for (const std::string &p : params)
                dll.mimic->RecordEvent(1, Narrow(kCommand), Narrow(p));
        });
        Batch(viaSink, [&] {
            for (const std::string &p : params)
                document->ReportCommand(kCommand, p.c_str());
        });
        Batch(viaWriter, [&] {
            for (const std::string &p : params)
                writer.WriteCommand("v", kCommand, p.c_str());
        });
        Batch(viaRaw, [&] {
            for (const std::string &line : lines)
            {
                DWORD written = 0;
                ::WriteFile(raw.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            }
        });
    }
    raw.reset();
    writer.Close();
    dll.mimic->StopRecording();
    dll.plugIn->Close();
    dll.Unload();

    // The recording holds every command, and its lines are the ones written raw.
    const std::vector<std::string> recorded = CommandLines(ReadTextFile(where.localDir + "\\temporary_action.pl"));
    bool same = recorded.size() == static_cast<size_t>(2 * kBatch * kReps) && lines.size() == params.size();
    for (size_t i = 0; same && i < recorded.size(); ++i)
        same = recorded[i] == lines[i % lines.size()];

    const double rawUs = Median(viaRaw) * 1e6 / kBatch;
    auto row = [&](const char *name, const std::vector<double> &samples, const char *notes) {
        const double us = Median(samples) * 1e6 / kBatch;
        Row(name, Format("%.2f", us), "µs/command",
            Format("×%.2f of raw WriteFile; median of %d × %d%s", rawUs > 0 ? us / rawUs : 0.0, kReps, kBatch, notes));
    };
    row("Record: IMimic::RecordEvent", viaMimic, same ? "" : "; not the lines expected!");
    row("Record: document sink OnRecordEvent", viaSink, "");
    row("Record: ScriptWriter::WriteCommand", viaWriter, "");
    Row("Record floor: raw WriteFile, same lines", Format("%.2f", rawUs), "µs/command",
        Format("one call per line; median of %d × %d", kReps, kBatch));
    ::CoUninitialize();
    return 0;
}
