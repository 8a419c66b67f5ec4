#pragma once

#include <QImage>
#include <QToolButton>
#include <cstdint>
#include <functional>

// The picture a series stored last, scaled down to the button's size. The
// file is decoded on a worker thread, so that a large picture never holds
// up the window; a decoded picture that arrives after a newer one was asked
// for is dropped. A click, or Enter or Space while it has the focus, opens
// the picture with the desktop's viewer; the tooltip shows its path.
class PicturePreview : public QToolButton {
  Q_OBJECT
 public:
  // Opens a picture file; false when it could not.
  using Opener = std::function<bool(const QString& path)>;

  explicit PicturePreview(QWidget* parent = nullptr);

  // Shows the picture at path, decoded from source: its thumbnail, or the
  // picture itself.
  void ShowPicture(const QString& path, const QString& source);
  const QString& Path() const { return m_path; }
  // The decoded picture as shown; null until one has arrived.
  const QImage& Image() const { return m_image; }

  // Replaces the desktop's viewer (tests).
  void SetOpener(Opener opener) { m_opener = std::move(opener); }
  // Opens the picture shown; a failure beeps.
  void Open();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TakeDecoded(std::uint64_t request, const QImage& image);

  QString m_path;
  QImage m_image;
  // Counts the pictures asked for; a decoded one is shown only if it is the
  // last one asked for.
  std::uint64_t m_request = 0;
  Opener m_opener;
};
