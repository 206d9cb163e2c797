// Scenarios of the commands that change the folder (the clean-up buttons, the
// Delete and Insert keys), of the hover guidance and of the folder choice.
//
//   bulk --button 1008|1009|1010 --tab N --answer yes|no --folder DIR
//        [--gone "a|b"] [--notices "name|name"] [--shown "a|b"] [--replace "from|to"]
//        [--shots DIR --tag TAG]
//   keys --folder DIR --source DIR --select "a|b|c" --new NAME --existing NAME
//        --long-name NAME --long-path NAME [--shots DIR]
//   hover [--shots DIR] [--tag T] [--tops Y1|Y2|Y3] [--exact-edges yes]
//   listing --folder DIR [--shots DIR --tag TAG]
//   no-folder --candidate PATH [--opened FILE] [--shots DIR]
//   drop --folder DIR --source DIR --new NAME --existing NAME --opened FILE [--shots DIR]
//   timing --switches N --crossings N --notices yes|no (timing_scenario.cpp)
#pragma once

#include <map>
#include <string>

namespace driver {

using Options = std::map<std::wstring, std::wstring>;
using Scenario = int (*)(const Options&);

// The scenario of this name, or null.
Scenario CommandScenario(const std::wstring& name);
// The benchmarks' timing scenario (timing_scenario.cpp), or null.
Scenario TimingScenarioByName(const std::wstring& name);
// The fault table's scenarios (fault_scenarios.cpp), or null.
Scenario FaultScenario(const std::wstring& name);

}  // namespace driver
