#include <QtGlobal>

#ifdef PELLIMO_HAVE_X11
#include "platform/frameextents_x11.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <thread>

namespace x11 {

namespace {

using namespace std::chrono_literals;

// A window manager answers a frame request at once; one that never does must not hold up start-up.
constexpr auto AnswerWait = 250ms;
// How often the stand-in is looked at while the answer is awaited.
constexpr auto AnswerPoll = 1ms;

// What decides the frame, copied from the client onto the stand-in, then the names the question
// needs. All are interned in one round trip.
constexpr std::array<const char*, 10> atomNames {
    "_MOTIF_WM_HINTS", "_NET_WM_WINDOW_TYPE", "WM_TRANSIENT_FOR",           "WM_NORMAL_HINTS",          "WM_HINTS",
    "_NET_WM_STATE",   "_NET_FRAME_EXTENTS",  "_NET_REQUEST_FRAME_EXTENTS", "_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED"
};
constexpr std::size_t copiedCount = 6;
enum Named : std::size_t { FrameExtents = copiedCount, RequestFrameExtents, SupportingWmCheck, Supported };

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};

template<typename Reply> using Owned = std::unique_ptr<Reply, FreeReply>;

template<typename Reply> Owned<Reply> own(Reply* reply)
{
    return Owned<Reply>(reply);
}

/** The 32-bit items of a property reply; empty for any other format. */
std::span<const std::uint32_t> items(const xcb_get_property_reply_t* reply)
{
    if (!reply || reply->format != 32)
        return {};
    return { static_cast<const std::uint32_t*>(xcb_get_property_value(reply)),
             std::size_t(xcb_get_property_value_length(reply)) / 4 };
}

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    return xcb_get_property(c, 0, window, property, type, 0, 0x10000);
}

std::optional<QMargins> readExtents(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents)
{
    const auto reply = own(xcb_get_property_reply(c, askProperty(c, window, extents, XCB_ATOM_CARDINAL), nullptr));
    const auto values = items(reply.get());
    if (values.size() != 4)
        return std::nullopt;
    // Left, right, top, bottom on the wire.
    return QMargins(int(values[0]), int(values[2]), int(values[1]), int(values[3]));
}

} // namespace

FrameExtentsRequest::FrameExtentsRequest(xcb_connection_t* connection, xcb_window_t client)
    : m_connection(connection)
    , m_client(client)
{
    xcb_connection_t* c = connection;
    std::array<xcb_intern_atom_cookie_t, atomNames.size()> atomCookies {};
    for (std::size_t i = 0; i < atomNames.size(); ++i)
        atomCookies[i] = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(atomNames[i])), atomNames[i]);
    std::array<xcb_atom_t, atomNames.size()> atoms {};
    for (std::size_t i = 0; i < atomNames.size(); ++i) {
        const auto reply = own(xcb_intern_atom_reply(c, atomCookies[i], nullptr));
        atoms[i] = reply ? reply->atom : XCB_NONE;
    }
    m_extents = atoms[FrameExtents];

    // Framed before (shown once already): the window says it itself.
    const auto geometryCookie = xcb_get_geometry(c, client);
    const auto extentsCookie = askProperty(c, client, m_extents, XCB_ATOM_CARDINAL);
    const auto root = own(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    const auto extents = own(xcb_get_property_reply(c, extentsCookie, nullptr));
    if (const auto values = items(extents.get()); values.size() == 4) {
        m_answer = QMargins(int(values[0]), int(values[2]), int(values[1]), int(values[3]));
        return;
    }
    if (!root) {
        m_answer = QMargins();
        return;
    }

    // Only a window manager that lists the question in _NET_SUPPORTED answers it.
    const auto checkCookie = askProperty(c, root->root, atoms[SupportingWmCheck], XCB_ATOM_WINDOW);
    const auto supportedCookie = askProperty(c, root->root, atoms[Supported], XCB_ATOM_ATOM);
    std::array<xcb_get_property_cookie_t, copiedCount> copiedCookies {};
    for (std::size_t i = 0; i < copiedCount; ++i)
        copiedCookies[i] = askProperty(c, client, atoms[i], XCB_GET_PROPERTY_TYPE_ANY);
    const auto check = own(xcb_get_property_reply(c, checkCookie, nullptr));
    const auto supported = own(xcb_get_property_reply(c, supportedCookie, nullptr));
    std::array<Owned<xcb_get_property_reply_t>, copiedCount> copied;
    for (std::size_t i = 0; i < copiedCount; ++i)
        copied[i] = own(xcb_get_property_reply(c, copiedCookies[i], nullptr));
    const auto supportedAtoms = items(supported.get());
    const auto checkWindow = items(check.get());
    if (checkWindow.empty() || checkWindow.front() == XCB_NONE || atoms[RequestFrameExtents] == XCB_NONE
        || std::find(supportedAtoms.begin(), supportedAtoms.end(), atoms[RequestFrameExtents])
            == supportedAtoms.end()) {
        m_answer = QMargins();
        return;
    }

    m_standIn = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_standIn, root->root, root->x, root->y,
                      std::max<std::uint16_t>(root->width, 1), std::max<std::uint16_t>(root->height, 1), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    for (std::size_t i = 0; i < copiedCount; ++i) {
        const xcb_get_property_reply_t* p = copied[i].get();
        if (p && p->type != XCB_NONE) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_standIn, atoms[i], p->type, p->format,
                                std::uint32_t(xcb_get_property_value_length(p)) / (p->format / 8u),
                                xcb_get_property_value(p));
        }
    }
    xcb_client_message_event_t request {};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = m_standIn;
    request.type = atoms[RequestFrameExtents];
    xcb_send_event(c, 0, root->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(c);
}

FrameExtentsRequest::~FrameExtentsRequest()
{
    if (m_standIn != XCB_NONE) {
        xcb_destroy_window(m_connection, m_standIn);
        xcb_flush(m_connection);
    }
}

QMargins FrameExtentsRequest::answer()
{
    // The stand-in selects no events (Qt's connection delivers them to Qt): its property is
    // looked at until the window manager has set it.
    const auto deadline = std::chrono::steady_clock::now() + AnswerWait;
    while (!m_answer) {
        m_answer = readExtents(m_connection, m_standIn, m_extents);
        if (!m_answer && std::chrono::steady_clock::now() >= deadline)
            m_answer = QMargins();
        else if (!m_answer)
            std::this_thread::sleep_for(AnswerPoll);
    }
    return *m_answer;
}

} // namespace x11

#endif // PELLIMO_HAVE_X11
