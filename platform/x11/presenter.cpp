#include "platform/x11/presenter.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace pulvan::x11 {

namespace {

// The layout cairo's RGB24 and ARGB32 images share with the server's 24- and 32-bit pixmaps on every common
// server: 32 bits a pixel, least significant byte first.
bool serverTakesCairoPixels(xcb_connection_t* c, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST || (depth != 24 && depth != 32)) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) return it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    return false;
}

bool shmOffered(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_shm_id);
    if (!extension || !extension->present) return false;
    xcb_shm_query_version_reply_t* version = xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
    const bool ok = version != nullptr;
    std::free(version);
    return ok;
}

}  // namespace

Presenter::Presenter(xcb_connection_t* connection, xcb_window_t window, xcb_gcontext_t gc, std::uint8_t depth)
    : connection_(connection),
      window_(window),
      gc_(gc),
      depth_(depth) {
    shmOffered_ = serverTakesCairoPixels(connection, depth) && shmOffered(connection);
}

Presenter::~Presenter() { release(); }

void Presenter::waitForServer() {
    if (!pending_) return;
    std::free(xcb_get_input_focus_reply(connection_, *std::exchange(pending_, std::nullopt), nullptr));
}

bool Presenter::attachSharedMemory(int width, int height) {
    const std::size_t bytes = static_cast<std::size_t>(cairo_format_stride_for_width(format(), width)) * static_cast<std::size_t>(height);
    shmId_ = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId_ < 0) return false;
    shmAddress_ = shmat(shmId_, nullptr, 0);
    if (shmAddress_ == reinterpret_cast<void*>(-1)) {
        shmAddress_ = nullptr;
        shmctl(shmId_, IPC_RMID, nullptr);
        return false;
    }
    shmSegment_ = xcb_generate_id(connection_);
    xcb_generic_error_t* error =
        xcb_request_check(connection_, xcb_shm_attach_checked(connection_, shmSegment_, static_cast<std::uint32_t>(shmId_), 0));
    // Gone once both sides detach, whatever happens to either.
    shmctl(shmId_, IPC_RMID, nullptr);
    if (error) {
        // A server on another machine cannot see our memory: put the pixels in requests from now on.
        std::free(error);
        shmdt(shmAddress_);
        shmAddress_ = nullptr;
        shmSegment_ = 0;
        shmOffered_ = false;
        return false;
    }
    return true;
}

cairo_surface_t* Presenter::image(int width, int height) {
    waitForServer();
    if (surface_ && cairo_image_surface_get_width(surface_) == width && cairo_image_surface_get_height(surface_) == height) return surface_;
    release();
    if (shmOffered_ && attachSharedMemory(width, height))
        surface_ = cairo_image_surface_create_for_data(static_cast<unsigned char*>(shmAddress_), format(), width, height,
                                                       cairo_format_stride_for_width(format(), width));
    else surface_ = cairo_image_surface_create(format(), width, height);
    return surface_;
}

void Presenter::putPlain(const PixelRect& r) {
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    // A request may carry only so many bytes: the rectangle goes in bands of rows.
    const std::size_t maxBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4 - 64;
    const std::size_t rowBytes = static_cast<std::size_t>(r.width) * 4;
    const int bandRows = std::max(1, static_cast<int>(maxBytes / rowBytes));
    for (int top = r.y; top < r.y + r.height; top += bandRows) {
        const int rows = std::min(bandRows, r.y + r.height - top);
        rows_.resize(rowBytes * static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row)
            std::memcpy(rows_.data() + rowBytes * static_cast<std::size_t>(row),
                        data + static_cast<std::ptrdiff_t>(top + row) * stride + r.x * 4, rowBytes);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(r.width),
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(top), 0, depth_,
                      static_cast<std::uint32_t>(rows_.size()), rows_.data());
    }
}

void Presenter::put(const std::vector<PixelRect>& rects) {
    if (!surface_) return;
    cairo_surface_flush(surface_);
    const int width = cairo_image_surface_get_width(surface_), height = cairo_image_surface_get_height(surface_);
    for (PixelRect r : rects) {
        const int x0 = std::clamp(r.x, 0, width), y0 = std::clamp(r.y, 0, height);
        const int x1 = std::clamp(r.x + r.width, 0, width), y1 = std::clamp(r.y + r.height, 0, height);
        if (x1 <= x0 || y1 <= y0) continue;
        r = {x0, y0, x1 - x0, y1 - y0};
        if (shmSegment_)
            xcb_shm_put_image(connection_, window_, gc_, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                              static_cast<std::uint16_t>(r.x), static_cast<std::uint16_t>(r.y), static_cast<std::uint16_t>(r.width),
                              static_cast<std::uint16_t>(r.height), static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(r.y), depth_,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, 0, shmSegment_, 0);
        else putPlain(r);
    }
    if (shmSegment_) pending_ = xcb_get_input_focus(connection_);
}

void Presenter::release() {
    waitForServer();
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = nullptr;
    framed_ = false;
    if (shmSegment_) {
        xcb_shm_detach(connection_, shmSegment_);
        // Detached on the server's side before our side lets go of the memory.
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        shmdt(shmAddress_);
        shmSegment_ = 0;
        shmAddress_ = nullptr;
    }
}

}  // namespace pulvan::x11
