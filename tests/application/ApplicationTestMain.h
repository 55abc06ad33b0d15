#pragma once
#include "common/ScriptedPlatform.h"

namespace QuillmarkTest {

// The platform the test binary's application reports errors to.
TScriptedPlatform& ApplicationPlatform();

} // namespace QuillmarkTest
