# Fails when the plug-in calls something of the host's libraries beyond what
# those libraries promise: the plug-in must build against the host's real
# libraries, not only against the stand-ins in host/.
#   cmake -DSOURCE_DIR=<tree> -P CheckHostCalls.cmake
# The grid is taken over from its dialog control and read back (a row's value,
# a check box's state) through the only calls its library has for that.
cmake_minimum_required(VERSION 3.20)
set(known
    hostapi::GetPlugInRegKey hostapi::ConnectOpenPlugIn hostapi::KPlugInSink hostapi::RegisterCommandSink
    hostapi::UnregisterCommandSink hostapi::RunCommand hostapi::GetInstallDir hostapi::GetSharedConfig
    hostapi::ProgIDFromCLSID hostapi::KFString hostapi::KConfig
    baseutil::ReadFromReg baseutil::WriteToReg baseutil::GetPrivateProfileStringA baseutil::split
    baseutil::BrowseFolders baseutil::KWindow baseutil::KString baseutil::KComTypeInfoHolder
    FileUtils::Exists FileUtils::Delete FileUtils::GetPathFromFile FileUtils::GetNameFromFile
    FileUtils::RemoveExtFromFile FileUtils::equalPath
    m_grid.AddColumn m_grid.SetColumn m_grid.InsertRow m_grid.SetItemText m_grid.SetItem m_grid.SetRowParam
    m_grid.DeleteAllRows m_grid.begin m_grid.end m_grid.Attach m_grid.GetItem m_grid.GetRowParam)

set(faults "")
foreach(layer library script ui core module)
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} LIST_DIRECTORIES false
         ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(file IN LISTS files)
        file(READ ${SOURCE_DIR}/${file} text)
        string(REGEX MATCHALL "(hostapi|baseutil|FileUtils)::[A-Za-z_]+|m_grid\\.[A-Za-z_]+|GetWindowTextA\\(\\)\\.[a-z_]+"
               calls "${text}")
        list(REMOVE_DUPLICATES calls)
        foreach(call IN LISTS calls)
            # The window text is read as the host's string type hands it over.
            if(call MATCHES "^GetWindowTextA" AND NOT call STREQUAL "GetWindowTextA().c_str")
                string(APPEND faults "${file}: reads a window's text through ${call}\n")
            elseif(NOT call MATCHES "^GetWindowTextA" AND NOT call IN_LIST known)
                string(APPEND faults "${file}: calls ${call}, which the host's libraries do not promise\n")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults)
    message(NOTICE "${faults}")
    message(FATAL_ERROR "Calls the host's libraries do not promise")
endif()
message(STATUS "Every call into the host's libraries is one they promise")
