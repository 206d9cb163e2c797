#include "ui/about_box.h"

#include "res/resource.h"

namespace torva {

CAboutBox::CAboutBox() : win::Dialog(IDD_ABOUTBOX) {}

}  // namespace torva
