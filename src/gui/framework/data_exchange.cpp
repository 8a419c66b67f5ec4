#include "gui/framework/data_exchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimeEdit>
#include <cstdint>

#include "gui/framework/message_box.h"
#include "gui/framework/property_page.h"

namespace fw {
namespace {

const QString kNotAnInteger = QStringLiteral("Please enter a positive integer.");
const QString kLineBreakInName =
    QStringLiteral("This name cannot be used because it contains a line break.");
constexpr char kLoadedBytes[] = "fwLoadedBytes";

// The setting from a control's text, or the transfer stops there.
std::string SavedText(DataExchange& dx, QWidget* control, const QString& text) {
  if (!AcceptsName(text))
    dx.Fail(control);
  return SettingBytes(control, text);
}

}  // namespace

bool AcceptsName(const QString& name) {
  if (!name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')))
    return true;
  AfxMessageBox(kLineBreakInName, BoxIcon::Exclamation);
  return false;
}

void RememberLoadedBytes(QWidget* control, const std::string& bytes) {
  control->setProperty(kLoadedBytes, QByteArray::fromStdString(bytes));
}

std::string SettingBytes(const QWidget* control, const QString& shown) {
  const QByteArray loaded = control->property(kLoadedBytes).toByteArray();
  if (!loaded.isNull() && QString::fromUtf8(loaded) == shown)
    return loaded.toStdString();
  return shown.toStdString();
}

QWidget* DataExchange::Control(int id) const {
  return m_page->GetDlgItem(id);
}

void DataExchange::Fail(QWidget* control) {
  if (control)
    control->setFocus();
  throw DataExchangeFailure{};
}

void DDX_Check(DataExchange& dx, int id, int& value) {
  auto* box = qobject_cast<QCheckBox*>(dx.Control(id));
  if (!box)
    return;
  if (dx.m_saveAndValidate)
    value = box->isChecked() ? 1 : 0;
  else
    box->setChecked(value != 0);
}

void DDX_Text(DataExchange& dx, int id, std::string& value) {
  auto* edit = qobject_cast<QLineEdit*>(dx.Control(id));
  if (!edit)
    return;
  if (dx.m_saveAndValidate) {
    value = SavedText(dx, edit, edit->text());
  } else {
    edit->setText(QString::fromStdString(value));
    RememberLoadedBytes(edit, value);
  }
}

void DDX_TextUnsigned(DataExchange& dx, int id, int& value) {
  auto* edit = qobject_cast<QLineEdit*>(dx.Control(id));
  if (!edit)
    return;
  if (!dx.m_saveAndValidate) {
    edit->setText(QString::number(static_cast<std::uint32_t>(value)));
    return;
  }
  bool ok = false;
  const qulonglong number = edit->text().trimmed().toULongLong(&ok);
  if (!ok || number > UINT32_MAX) {
    AfxMessageBox(kNotAnInteger, BoxIcon::Exclamation);
    dx.Fail(edit);
  }
  value = static_cast<int>(static_cast<std::uint32_t>(number));
}

void DDX_CBIndex(DataExchange& dx, int id, int& index) {
  auto* list = qobject_cast<QComboBox*>(dx.Control(id));
  if (!list)
    return;
  if (dx.m_saveAndValidate)
    index = list->currentIndex();
  else
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void DDX_CBString(DataExchange& dx, int id, std::string& value) {
  auto* list = qobject_cast<QComboBox*>(dx.Control(id));
  if (!list)
    return;
  if (dx.m_saveAndValidate) {
    value = list->currentIndex() >= 0 ? SavedText(dx, list, list->currentText()) : std::string();
    return;
  }
  const QString text = QString::fromStdString(value);
  int found = -1;
  for (int i = 0; i < list->count() && found < 0; ++i)
    if (list->itemText(i).startsWith(text, Qt::CaseInsensitive))
      found = i;
  list->setCurrentIndex(found);
  RememberLoadedBytes(list, value);
}

void DDX_Time(DataExchange& dx, int id, int& hour, int& minute, int& second) {
  auto* picker = qobject_cast<QTimeEdit*>(dx.Control(id));
  if (!picker)
    return;
  if (dx.m_saveAndValidate) {
    const QTime time = picker->time();
    hour = time.hour();
    minute = time.minute();
    second = time.second();
  } else {
    picker->setTime(QTime(0, 0).addSecs(((hour % 24) * 60 + minute) * 60 + second));
  }
}

}  // namespace fw
