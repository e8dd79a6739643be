// horavex-fontchooser: the font dialog of the digital clock on Linux. The
// plug-in starts it as a process of its own, so GTK is never loaded into the
// host's process; it shows GTK's font chooser with two extra check boxes for
// underline and strike-out, and prints the answer on its standard output.
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/Saturate.h"
#include "core/fontchooser/FontChooserProtocol.h"

namespace {

using horavex::FontChoice;
using horavex::FontChooserAnswer;
using horavex::FontChooserOutcome;

constexpr double kScreenDpi = 96.0;

// The answer is all this process is for: once it is out, the process ends
// without tearing GTK down (which a leak checker would only complain about).
[[noreturn]] void answerAndExit(const FontChooserAnswer& answer, int exitCode) {
    const std::string text = horavex::formatFontChooserAnswer(answer);
    std::fwrite(text.data(), 1, text.size(), stdout);
    const bool flushed = std::fflush(stdout) == 0;
    std::_Exit(flushed ? exitCode : 1);
}

PangoFontDescription* describe(const FontChoice& choice) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, choice.face.empty() ? "Sans" : choice.face.c_str());
    const double points = choice.points > 0.0 ? choice.points : 20.0;
    pango_font_description_set_size(description, horavex::saturatingTrunc<int>(points * PANGO_SCALE));
    // 0 is "any weight" in the font record; the chooser knows only real ones.
    const int weight = choice.weight <= 0 ? PANGO_WEIGHT_NORMAL : std::clamp(choice.weight, 100, 1000);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(description, choice.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return description;
}

FontChoice choiceFrom(const PangoFontDescription* description, const FontChoice& start) {
    FontChoice choice = start;
    const char* family = pango_font_description_get_family(description);
    if (family != nullptr) {
        choice.face = family;
    }
    const int size = pango_font_description_get_size(description);
    if (size > 0) {
        const double units = static_cast<double>(size) / PANGO_SCALE;
        // An absolute size is in device pixels, at the screen's 96 dpi.
        choice.points = pango_font_description_get_size_is_absolute(description) ? units * 72.0 / kScreenDpi : units;
    }
    choice.weight = pango_font_description_get_weight(description);
    choice.italic = pango_font_description_get_style(description) != PANGO_STYLE_NORMAL;
    return choice;
}

// The family the font system would draw `wanted` with. The record may name a
// family that is not installed but has a substitute ("Arial" is often drawn
// with a metric twin); the chooser lists only installed families and would
// otherwise start with nothing selected.
std::string drawnFamily(GtkWidget* widget, const PangoFontDescription* wanted) {
    std::string family;
    PangoFont* font = pango_context_load_font(gtk_widget_get_pango_context(widget), wanted);
    if (font == nullptr) {
        return family;
    }
    PangoFontDescription* actual = pango_font_describe(font);
    const char* name = pango_font_description_get_family(actual);
    if (name != nullptr) {
        family = name;
    }
    pango_font_description_free(actual);
    g_object_unref(font);
    return family;
}

GtkWidget* addCheckBox(GtkWidget* box, const char* mnemonic, bool active) {
    GtkWidget* check = gtk_check_button_new_with_mnemonic(mnemonic);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), active ? TRUE : FALSE);
    gtk_box_pack_start(GTK_BOX(box), check, FALSE, FALSE, 0);
    return check;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> arguments(argv + 1, argv + std::max(argc, 1));
    const FontChoice start = horavex::parseFontChooserArguments(arguments);

    if (!gtk_init_check(nullptr, nullptr)) {
        answerAndExit({FontChooserOutcome::Unavailable, {}}, 2);
    }
    g_set_prgname("horavex-fontchooser");
    g_set_application_name("Horavex");

    GtkWidget* dialog = gtk_font_chooser_dialog_new("Font", nullptr);
    PangoFontDescription* initial = describe(start);
    const std::string family = drawnFamily(dialog, initial);
    if (!family.empty()) {
        pango_font_description_set_family(initial, family.c_str());
    }
    gtk_font_chooser_set_font_desc(GTK_FONT_CHOOSER(dialog), initial);
    pango_font_description_free(initial);

    GtkWidget* effects = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
    gtk_container_set_border_width(GTK_CONTAINER(effects), 6);
    GtkWidget* underline = addCheckBox(effects, "_Underline", start.underline);
    GtkWidget* strikeOut = addCheckBox(effects, "Stri_keout", start.strikeOut);
    gtk_box_pack_end(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), effects, FALSE, FALSE, 0);
    gtk_widget_show_all(effects);

    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    FontChooserAnswer answer{FontChooserOutcome::Cancelled, {}};
    if (response == GTK_RESPONSE_OK) {
        PangoFontDescription* chosen = gtk_font_chooser_get_font_desc(GTK_FONT_CHOOSER(dialog));
        if (chosen != nullptr) {
            answer.outcome = FontChooserOutcome::Chosen;
            answer.choice = choiceFrom(chosen, start);
            answer.choice.underline = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(underline)) != FALSE;
            answer.choice.strikeOut = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(strikeOut)) != FALSE;
            pango_font_description_free(chosen);
        }
    }
    gtk_widget_destroy(dialog);
    answerAndExit(answer, 0);
}
