#pragma once

// A tile server on the loopback interface that answers every GET with the same plain-coloured
// 256 x 256 PNG, so that the online look of the map pages can be tested without a network.

#include "WebPageHarness.h"

#include <atomic>
#include <memory>
#include <gio/gio.h>
#include <string>

namespace uimap {

class TileServer {
public:
    explicit TileServer(uint32_t rgb) : m_pState(std::make_shared<State>())
    {
        m_pState->tile = MakeTile(rgb);
        m_service.reset(g_threaded_socket_service_new(4));
        GPtr<GInetAddress> loopback(g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4));
        GPtr<GSocketAddress> wanted(g_inet_socket_address_new(loopback.get(), 0));
        GSocketAddress* effective = nullptr;
        GError* err = nullptr;
        if (!g_socket_listener_add_address(G_SOCKET_LISTENER(m_service.get()), wanted.get(), G_SOCKET_TYPE_STREAM,
                                           G_SOCKET_PROTOCOL_TCP, nullptr, &effective, &err)) {
            g_clear_error(&err);
            return;
        }
        GPtr<GSocketAddress> bound(effective);
        m_nPort = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(bound.get()));
        // The handlers run on the service's threads and may still be answering when the server is
        // destroyed: each holds the state it uses, which the handler's data keeps alive.
        g_signal_connect_data(
            m_service.get(), "run", G_CALLBACK(OnRun), new std::shared_ptr<State>(m_pState),
            [](gpointer data, GClosure*) { delete static_cast<std::shared_ptr<State>*>(data); }, GConnectFlags{});
        g_socket_service_start(m_service.get());
    }
    ~TileServer()
    {
        g_cancellable_cancel(m_pState->cancel.get());
        if (m_service) {
            g_socket_service_stop(m_service.get());
            g_socket_listener_close(G_SOCKET_LISTENER(m_service.get()));
            g_signal_handlers_disconnect_matched(m_service.get(), G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                                 reinterpret_cast<gpointer>(&OnRun), nullptr);
        }
    }
    TileServer(const TileServer&) = delete;
    TileServer& operator=(const TileServer&) = delete;

    int Port() const { return m_nPort; }
    int Requests() const { return m_pState->requests.load(); }
    std::string Template() const { return "http://127.0.0.1:" + std::to_string(m_nPort) + "/{z}/{x}/{y}.png"; }

private:
    static std::string MakeTile(uint32_t rgb)
    {
        SurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 256, 256));
        cairo_t* cr = cairo_create(tile.get());
        cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
        cairo_paint(cr);
        cairo_destroy(cr);
        std::string png;
        cairo_surface_write_to_png_stream(
            tile.get(),
            [](void* closure, const unsigned char* data, unsigned int length) {
                static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
                return CAIRO_STATUS_SUCCESS;
            },
            &png);
        return png;
    }

    struct State {
        std::string tile; // written before the service starts, then only read
        std::atomic<int> requests{0};
        GPtr<GCancellable> cancel{g_cancellable_new()};
    };

    // Runs on a service thread: reads the request head, answers with the tile, closes.
    static gboolean OnRun(GThreadedSocketService*, GSocketConnection* connection, GObject*, gpointer data)
    {
        const std::shared_ptr<State> state = *static_cast<std::shared_ptr<State>*>(data);
        GCancellable* cancel = state->cancel.get();
        GInputStream* in = g_io_stream_get_input_stream(G_IO_STREAM(connection));
        GOutputStream* out = g_io_stream_get_output_stream(G_IO_STREAM(connection));
        std::string head;
        char buf[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
            const gssize n = g_input_stream_read(in, buf, sizeof buf, cancel, nullptr);
            if (n <= 0) return TRUE;
            head.append(buf, static_cast<size_t>(n));
        }
        state->requests.fetch_add(1);
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                                  std::to_string(state->tile.size()) +
                                  "\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n\r\n" + state->tile;
        g_output_stream_write_all(out, reply.data(), reply.size(), nullptr, cancel, nullptr);
        g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
        return TRUE;
    }

    std::shared_ptr<State> m_pState;
    GPtr<GSocketService> m_service;
    int m_nPort = 0;
};

} // namespace uimap
