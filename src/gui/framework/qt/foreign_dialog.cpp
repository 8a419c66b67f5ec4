#include "gui/framework/foreign_dialog.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <unistd.h>
#include <xcb/xcb.h>

namespace fw {
namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

class X11 {
 public:
  explicit X11(xcb_connection_t* connection)
      : m_connection(connection),
        m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {}

  xcb_atom_t Atom(const char* name) {
    const auto cookie =
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr),
                                            &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  template <class Value>
  std::vector<Value> Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    const auto cookie = xcb_get_property(m_connection, 0, window, property, type, 0, 1 << 16);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr),
                                             &std::free);
    if (!reply)
      return {};
    const auto* values = static_cast<const Value*>(xcb_get_property_value(reply.get()));
    const auto count =
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / sizeof(Value);
    return {values, values + count};
  }

  // The top-level windows from the bottom of the stack to its top: as the
  // window manager lists them, or the root's children where none does.
  std::vector<xcb_window_t> Stack() {
    auto windows =
        Property<xcb_window_t>(m_root, Atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (!windows.empty())
      return windows;
    ReplyPtr<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr),
        &std::free);
    if (!tree)
      return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
  }

  bool IsDialog(xcb_window_t window) {
    const xcb_atom_t dialog = Atom("_NET_WM_WINDOW_TYPE_DIALOG");
    for (xcb_atom_t type : Property<xcb_atom_t>(window, Atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM))
      if (type == dialog)
        return true;
    return false;
  }

  bool IsOwn(xcb_window_t window) {
    const auto pid = Property<std::uint32_t>(window, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return !pid.empty() && pid.front() == static_cast<std::uint32_t>(::getpid());
  }

  std::string Title(xcb_window_t window) {
    auto title = Property<char>(window, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"));
    if (title.empty())
      title = Property<char>(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    return {title.begin(), title.end()};
  }

  // Asks the window to close, as its close box would.
  void Close(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom("WM_PROTOCOLS");
    message.data.data32[0] = Atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection);
  }

 private:
  xcb_connection_t* m_connection;
  xcb_window_t m_root;
};

}  // namespace

void CloseForeignDialog() {
  const auto* x11 =
      qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection())
    return;
  X11 display(x11->connection());
  const std::vector<xcb_window_t> stack = display.Stack();
  for (auto window = stack.rbegin(); window != stack.rend(); ++window) {
    if (!display.IsDialog(*window) || display.IsOwn(*window))
      continue;
    if (display.Title(*window).rfind("Velorantica", 0) != 0)
      display.Close(*window);
    return;
  }
}

}  // namespace fw

#else

namespace fw {

void CloseForeignDialog() {}

}  // namespace fw

#endif
