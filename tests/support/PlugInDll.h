// The built mimic.dll as a host meets it (support/PlugInModule.h), with a
// module that does not load reported as a fatal test failure.
#pragma once

#include <gtest/gtest.h>
#include <string>

#include "support/Files.h"
#include "support/PlugInModule.h"

namespace testsupport {

using support::Narrow;
using support::WindowsPathOf;

class PlugInDll : public support::PlugInModule
{
public:
    // Loads the module and takes the plug-in's class factory.
    void Load(const std::string &path)
    {
        ASSERT_TRUE(PlugInModule::Load(path)) << WindowsPathOf(path);
        ASSERT_EQ(TakeFactory(), S_OK);
    }
};

} // namespace testsupport
