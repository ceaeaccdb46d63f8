// The reference host's modal driver, with its failures reported as test failures.
#pragma once

#include "refhost/ModalDriver.h"

namespace testsupport {

using refhost::ModalDriver;
using refhost::ModalWindow;
using refhost::MsgIcon;
using refhost::PopupMenuDriver;
using refhost::SeenWindow;

} // namespace testsupport
