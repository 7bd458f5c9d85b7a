#include "Forms.h"

#include "frmMain.h"

namespace tuvano::startup {

Forms::Forms(platform::Platform& platform)
    : m_platform(platform), m_folder(platform.programFolder(), platform.fileOps())
{
}

Forms::~Forms() = default;

bool Forms::loadMain()
{
    m_main = std::make_unique<frmMain>(*this);
    return m_main->Form_Load();
}

} // namespace tuvano::startup
