#include "gui/timelapse/picture_preview.h"

#include <QApplication>
#include <QDesktopServices>
#include <QImageReader>
#include <QKeyEvent>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>

#include "core/weblink/open_link.h"
#include "gui/framework/ui_clock.h"

namespace {

// The room the picture leaves to the button's frame on each side, in pixels.
constexpr int kFrame = 3;

// Reads the file already scaled down to fit into box, in its proportions;
// a JPEG reader then decodes only as many pixels as it needs.
QImage Decode(const QString& file, const QSize& box) {
  QImageReader reader(file);
  reader.setAutoTransform(true);
  if (const QSize size = reader.size(); size.isValid())
    reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
  return reader.read();
}

// The desktop's opener, whose answer is waited for; on Windows the shell.
bool OpenWithDesktop(const QString& path) {
#ifdef Q_OS_WIN
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#else
  return vel::OpenLinkWithDesktop(QUrl::fromLocalFile(path).toString().toStdString(),
                                  fw::TheUiClock())
      .Ok();
#endif
}

}  // namespace

PicturePreview::PicturePreview(QWidget* parent) : QToolButton(parent), m_opener(OpenWithDesktop) {
  setAccessibleName(QStringLiteral("Last picture"));
  setAutoRaise(true);
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QToolButton::clicked, this, &PicturePreview::Open);
}

void PicturePreview::ShowPicture(const QString& path, const QString& source) {
  m_path = path;
  setToolTip(path);
  setAccessibleDescription(path);
  setIconSize(size().shrunkBy(QMargins(kFrame, kFrame, kFrame, kFrame)));
  const qreal ratio = devicePixelRatioF();
  const QSize box = iconSize() * ratio;
  const std::uint64_t request = ++m_request;
  // The pointer is only read back on this thread, where the page may have
  // gone meanwhile.
  QPointer<PicturePreview> self(this);
  QThreadPool::globalInstance()->start([self, request, source, box, ratio] {
    QImage image = Decode(source, box);
    image.setDevicePixelRatio(ratio);
    QMetaObject::invokeMethod(
        qApp,
        [self, request, image] {
          if (self)
            self->TakeDecoded(request, image);
        },
        Qt::QueuedConnection);
  });
}

void PicturePreview::TakeDecoded(std::uint64_t request, const QImage& image) {
  if (request != m_request)
    return;
  m_image = image;
  setIcon(QIcon(QPixmap::fromImage(image)));
}

void PicturePreview::Open() {
  if (!m_path.isEmpty() && !m_opener(m_path))
    QApplication::beep();
}

void PicturePreview::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    click();
  else
    QToolButton::keyPressEvent(event);
}
