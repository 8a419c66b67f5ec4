#pragma once

#include <QImage>
#include <QToolButton>
#include <cstdint>

namespace fw::qt {

// A picture file scaled down to the button's size. The file is decoded on a
// worker thread, so that a large picture never holds up the window; a
// decoded picture that arrives after a newer one was asked for is dropped.
// A click, or Enter or Space while it has the focus, clicks the button; the
// tooltip shows the picture's path.
class PicturePreview : public QToolButton {
  Q_OBJECT
 public:
  explicit PicturePreview(QWidget* parent = nullptr);

  // Shows the picture at path, decoded from source: its thumbnail, or the
  // picture itself.
  void ShowPicture(const QString& path, const QString& source);
  const QString& Path() const { return m_path; }
  // The decoded picture as shown; null until one has arrived.
  const QImage& Image() const { return m_image; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TakeDecoded(std::uint64_t request, const QImage& image);

  QString m_path;
  QImage m_image;
  // Counts the pictures asked for; a decoded one is shown only if it is the
  // last one asked for.
  std::uint64_t m_request = 0;
};

}  // namespace fw::qt
