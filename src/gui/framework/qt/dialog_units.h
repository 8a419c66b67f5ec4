#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace fw {

// Converts dialog units into pixels for a font, as dialog templates are laid
// out: a horizontal unit is a quarter of the font's average character width,
// a vertical unit an eighth of its height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int w, int h) const;
  QSize Size(int w, int h) const;
  int BaseX() const { return m_baseX; }
  int BaseY() const { return m_baseY; }

 private:
  int m_baseX;
  int m_baseY;
};

}  // namespace fw
