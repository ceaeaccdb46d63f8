// The plug-in as a host gets it: created from the built mimic.dll's class
// object on a reference host with folders, the host's plug-in open and the
// editor's document class registered. Every case must leave the module free
// to unload.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"
#include "tests/support/HostFixture.h"
#include "tests/support/PlugInDll.h"

#ifndef MIMIC_DLL_PATH
#error MIMIC_DLL_PATH must name the built mimic.dll
#endif

namespace testsupport {

class PlugInHost : public HostFixture
{
protected:
    void SetUp() override
    {
        ReadyForPlugIn();
        ASSERT_NO_FATAL_FAILURE(dll.Load(MIMIC_DLL_PATH));
        NewPlugIn();
    }
    void TearDown() override
    {
        mimic.Reset();
        plugIn.Reset();
        for (refhost::RefDocument *doc : host->Documents()) // they may hold sinks of the module
            host->CloseDocument(doc->Cookie());
        EXPECT_TRUE(dll.Release()) << "the module can unload";
    }

    void NewPlugIn()
    {
        mimic.Reset();
        plugIn.Reset();
        ASSERT_EQ(dll.factory->CreateInstance(nullptr, IID_IPlugIn, plugIn.PutVoid()), S_OK);
        ASSERT_EQ(plugIn.As(IID_IMimic, mimic), S_OK);
    }

    HRESULT Record(UINT cookie, const std::string &command, const std::string &params)
    {
        return mimic->RecordEvent(cookie, Narrow(command), Narrow(params));
    }
    std::string TemporaryScript() const { return localDir + "\\temporary_action.pl"; }
    // A temporary recording, which asks nothing.
    void StartTemporary(long cookie = 1)
    {
        SetNumber("Record Temporary Task", 2);
        EXPECT_EQ(mimic->StartRecording(nullptr, cookie), S_OK);
    }
    // The recorder's state; -1 without a recorder.
    long State()
    {
        long state = -1, cookie = -1;
        return mimic->GetRecorderState(&state, &cookie) == S_OK ? state : -1;
    }
    HRESULT Play(const std::wstring &files)
    {
        mimic::UniqueBstr list(::SysAllocString(files.c_str()));
        BSTR raw = list.get();
        return mimic->PlayLastMacro(&raw);
    }
    // The scripts of the actions that the first command ids play, in id order.
    std::vector<std::string> Offered(UINT ids = 40)
    {
        std::vector<std::string> paths;
        for (UINT id = 200000; id < 200000 + ids; ++id)
        {
            long times = 0;
            mimic::UniqueBstr path;
            if (mimic->GetTaskPlayInfoFromCmdId(id, &times, path.put()) == S_OK)
                paths.push_back(mimic::NarrowFromBstr(path.get()));
        }
        return paths;
    }

    PlugInDll dll;
    mimic::ComPtr<IPlugIn> plugIn;
    mimic::ComPtr<IMimic> mimic;
};

} // namespace testsupport
