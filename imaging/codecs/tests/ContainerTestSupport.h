#pragma once
// RLC and IG4 files for the tests, written by the generator in
// tests/data/container_files.py (no other tool writes them).
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/tests/ToolCheck.h"

#include <string>

namespace OmviTest
{

// Runs the generator with a JSON spec; whether it wrote `out`.
inline bool generateContainerFile(const std::string& python, const ScratchFolder& folder, const std::string& kind,
                                  const std::string& specJson, const std::string& out)
{
    const std::string spec = folder.file("spec.json");
    if (!writeFileBytes(spec, Pixels(specJson.begin(), specJson.end())))
        return false;
    const std::string script = std::string(QUILLCAST_TEST_DATA) + "/container_files.py";
    return runCommand(python + " '" + script + "' " + kind + " '" + spec + "' '" + out + "' >/dev/null 2>&1") == 0 &&
           fileExists(out);
}

} // namespace OmviTest
