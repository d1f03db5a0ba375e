#include "demo/demo_templates.h"

const std::array<std::string, 4> DemoTemplates{
    "Template1_AA--" + std::string(84, 'A') + "==",
    "Template2_" + std::string(90, 'B') + "==",
    "Template3_" + std::string(92, 'C') + "==",
    "Template4_" + std::string(90, 'D') + "==",
};
