#pragma once

#include "setup/flow/setup_program.h"

namespace qm::setup {

// The wizard without a window: every page is answered with what it shows at first (the
// licence agreed to, the components as Setup.ini ticks them, the folders Setup.ini names,
// no finish option ticked) and left with Next; the installation runs on its worker as it
// does under the pages. Questions go to the message-box service. For installing from a
// script and for tests.
class UnattendedWizard : public WizardFront {
  public:
    WizardResult Run(CSetupSession& session) override;
};

}  // namespace qm::setup
