#include "gui/framework/qt/dialog_units.h"

#include <QFontMetrics>

namespace fw {
namespace {

// Rounded a * b / c, like the system's MulDiv.
int MulDiv(int a, int b, int c) {
  return static_cast<int>((static_cast<long long>(a) * b * 2 + c) / (2 * c));
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = (width / 26 + 1) / 2;
  m_baseY = metrics.height();
}

int DialogUnits::X(int units) const {
  return MulDiv(units, m_baseX, 4);
}
int DialogUnits::Y(int units) const {
  return MulDiv(units, m_baseY, 8);
}

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
  const int left = X(x), top = Y(y);
  return QRect(left, top, X(x + w) - left, Y(y + h) - top);
}

QSize DialogUnits::Size(int w, int h) const {
  return QSize(X(w), Y(h));
}

}  // namespace fw
