#pragma once

namespace fw {
class CPropertyPage;
}

// The Direct Control page that fits the camera model.
fw::CPropertyPage* CreateDirectControlPage(int model);
