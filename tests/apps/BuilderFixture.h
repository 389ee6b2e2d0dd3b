#pragma once

// The builders' tests run over the build's model library, from a program
// folder of their own (so screenshots and robot files land there, not in the
// build's): the set-up file and models are linked in.

#include "elements/CModel.h"
#include "elements/PartContext.h"
#include "foundation/CConfig.h"

#include <QString>

#include <osg/ref_ptr>

#include <string>

namespace appstest {

// The test program's folder (the program folder of everything the tests make).
const QString& ProgramDir();
// The configuration and the part context over that folder, made once.
CConfig& Config();
const PartContextPtr& Context();

} // namespace appstest
