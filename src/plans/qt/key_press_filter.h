#pragma once
// Applies one of the settings boxes' key filters to a real widget: the character of each typed key
// goes through the filter, which lets it pass, replaces it or discards it. Keys without a character
// (arrows, Delete, Home...) always pass.

#include <QObject>
#include <cstdint>
#include <string_view>

namespace vq {

class KeyPressFilter : public QObject {
    Q_OBJECT
public:
    using Filter = std::uint16_t (*)(std::uint16_t, std::string_view);
    // Installs a filter on `widget`; it lives as long as the widget.
    static void install(QObject* widget, Filter filter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyPressFilter(Filter filter, QObject* parent) : QObject(parent), m_filter(filter) {}
    Filter m_filter;
};

}  // namespace vq
