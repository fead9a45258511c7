#pragma once

// A tile server on the loopback interface that answers every GET with the same plain-coloured
// 256 x 256 PNG, so that the online look of the map pages can be tested without a network.

#include "WebPageHarness.h"

#include <atomic>
#include <gio/gio.h>
#include <string>

namespace uimap {

class TileServer {
public:
    explicit TileServer(uint32_t rgb)
    {
        m_tile = MakeTile(rgb);
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
        g_signal_connect(m_service.get(), "run", G_CALLBACK(OnRun), this);
        g_socket_service_start(m_service.get());
    }
    ~TileServer()
    {
        if (m_service) {
            g_socket_service_stop(m_service.get());
            g_socket_listener_close(G_SOCKET_LISTENER(m_service.get()));
            g_signal_handlers_disconnect_by_data(m_service.get(), this);
        }
    }
    TileServer(const TileServer&) = delete;
    TileServer& operator=(const TileServer&) = delete;

    int Port() const { return m_nPort; }
    int Requests() const { return m_nRequests.load(); }
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

    // Runs on a service thread: reads the request head, answers with the tile, closes.
    static gboolean OnRun(GThreadedSocketService*, GSocketConnection* connection, GObject*, gpointer self)
    {
        auto* server = static_cast<TileServer*>(self);
        GInputStream* in = g_io_stream_get_input_stream(G_IO_STREAM(connection));
        GOutputStream* out = g_io_stream_get_output_stream(G_IO_STREAM(connection));
        std::string head;
        char buf[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
            const gssize n = g_input_stream_read(in, buf, sizeof buf, nullptr, nullptr);
            if (n <= 0) return TRUE;
            head.append(buf, static_cast<size_t>(n));
        }
        server->m_nRequests.fetch_add(1);
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                                  std::to_string(server->m_tile.size()) +
                                  "\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n\r\n" + server->m_tile;
        g_output_stream_write_all(out, reply.data(), reply.size(), nullptr, nullptr, nullptr);
        g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
        return TRUE;
    }

    std::string m_tile; // written before the service starts, then only read
    GPtr<GSocketService> m_service;
    int m_nPort = 0;
    std::atomic<int> m_nRequests{0};
};

} // namespace uimap
