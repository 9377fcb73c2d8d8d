#include "forms/forms.h"

namespace forms {

namespace {

using plat::ControlDesc;
using plat::ControlKind;
using plat::FontDesc;

const FontDesc kGroupFont{"MS Sans Serif", 13, true, plat::clBlack};
const FontDesc kChoiceFont{"MS Sans Serif", 11, false, plat::clBlack};

ControlDesc Make(const char* name, ControlKind kind, const char* parent, int left, int top,
                 int width, int height, const char* caption, bool visible, const FontDesc& font,
                 int tabOrder = -1) {
    ControlDesc c;
    c.Name = name;
    c.Kind = kind;
    c.Parent = parent;
    c.Left = left;
    c.Top = top;
    c.Width = width;
    c.Height = height;
    c.Caption = caption;
    c.Visible = visible;
    c.ParentFont = false;
    c.Font = font;
    c.TabOrder = tabOrder;
    return c;
}

ControlDesc SizeBar(const char* name, int left) {
    ControlDesc c = Make(name, ControlKind::ScrollBar, "Groupcust", left, 35, 74, 13, "", true,
                         kChoiceFont);
    c.Min = 25;
    c.Max = 100;  // the screen size, set at creation
    c.Position = 25;
    c.SmallChange = 1;
    c.LargeChange = 1;
    return c;
}

ControlDesc OpenDialog(const char* name, const char* filter) {
    ControlDesc c;
    c.Name = name;
    c.Kind = ControlKind::OpenDialog;
    c.Visible = false;
    c.Filter = filter;
    return c;
}

plat::FormDesc MakeForm2() {
    plat::FormDesc f;
    f.ClassName = "TForm2";
    f.Name = "Form2";
    f.Caption = "";
    f.Border = plat::BorderStyle::Single;
    f.BorderIcons = false;
    f.Centered = true;
    f.Visible = false;  // the message loop shows it
    f.ClientWidth = 479;
    f.ClientHeight = 228;
    f.Colour = 13089720;
    f.Font = {"MS Sans Serif", 11, true, plat::clWindowText};
    f.Icon = "vidsaver";

    const FontDesc windowTextGroup{"MS Sans Serif", 13, true, plat::clWindowText};
    const FontDesc windowTextChoice{"MS Sans Serif", 11, false, plat::clWindowText};
    const FontDesc groupcustFont{"MS Sans Serif", 11, false, plat::clBlack};
    const FontDesc arial{"Arial", 13, false, plat::clBlack};

    auto& c = f.Controls;
    // Tab order: the display-mode group (three sizes, the two bars, custom,
    // default), the website button, the play-order group, OK.
    c.push_back(Make("GroupBox6", ControlKind::GroupBox, "", 6, 7, 253, 213, "Video Displays", true, kGroupFont));
    c.push_back(Make("radpicl", ControlKind::RadioButton, "GroupBox6", 14, 15, 211, 17, "Large (Full Screen)", true, kChoiceFont, 0));
    c.push_back(Make("radpicm", ControlKind::RadioButton, "GroupBox6", 14, 32, 113, 17, "Medium", true, kChoiceFont, 1));
    c.push_back(Make("radpics", ControlKind::RadioButton, "GroupBox6", 14, 48, 203, 17, "Small", true, kChoiceFont, 2));
    c.push_back(Make("Raddefault", ControlKind::RadioButton, "GroupBox6", 14, 72, 197, 17, "Default Video Size (Clearest Image)", true, kChoiceFont, 6));
    c.push_back(Make("Radpicc", ControlKind::RadioButton, "GroupBox6", 14, 96, 227, 17, "Customize Video Window Below", true, kChoiceFont, 5));
    c.push_back(Make("Groupcust", ControlKind::GroupBox, "GroupBox6", 10, 120, 231, 81, "Customize Video Display", true, groupcustFont));
    c.push_back(Make("Label2", ControlKind::Label, "Groupcust", 10, 16, 58, 13, "Video Width", true, kChoiceFont));
    c.push_back(Make("Label1", ControlKind::Label, "Groupcust", 108, 16, 61, 13, "Video Height", true, kChoiceFont));
    c.push_back(SizeBar("ScrollBar1", 10));
    c.back().TabOrder = 3;
    c.push_back(SizeBar("ScrollBar2", 108));
    c.back().TabOrder = 4;
    c.push_back(Make("Lblwidth", ControlKind::Label, "Groupcust", 10, 58, 39, 13, "Lblwidth", true, kChoiceFont));
    c.push_back(Make("Lblheight", ControlKind::Label, "Groupcust", 106, 58, 43, 13, "Lblheight", true, kChoiceFont));

    c.push_back(Make("GroupBox5", ControlKind::GroupBox, "", 265, 7, 208, 65, "Play Videos:", true, windowTextGroup));
    c.push_back(Make("RadioButton1", ControlKind::RadioButton, "GroupBox5", 13, 21, 113, 17, "Randomly", true, windowTextChoice, 8));
    c.push_back(Make("RadioButton2", ControlKind::RadioButton, "GroupBox5", 13, 41, 148, 17, "In The Order Listed", true, windowTextChoice, 9));

    ControlDesc web = Make("Cmdwebsite", ControlKind::BitButton, "", 310, 164, 166, 24, "", false, arial, 7);
    web.Glyph = "web";
    c.push_back(web);
    ControlDesc ok = Make("CmdClose", ControlKind::BitButton, "", 311, 196, 166, 24, "OK", true, windowTextChoice, 10);
    ok.Glyph = "ok";
    ok.OkKind = true;
    ok.Default = true;
    c.push_back(ok);

    // Groups that exist and carry their values but are never shown.
    c.push_back(Make("GroupBox1", ControlKind::GroupBox, "", 6, 4, 253, 89, "Background Colors ", false, kGroupFont));
    c.push_back(Make("radcol1", ControlKind::RadioButton, "GroupBox1", 14, 17, 219, 17, "Black - Gray - Silver - White", false, kChoiceFont));
    c.push_back(Make("radcol2", ControlKind::RadioButton, "GroupBox1", 14, 33, 235, 17, "Navy - Black - Purple - Maroon", false, kChoiceFont));
    c.push_back(Make("radcol3", ControlKind::RadioButton, "GroupBox1", 14, 49, 219, 17, "Green - Aqua - Fuschia - Yellow", false, kChoiceFont));
    c.push_back(Make("Radcol4", ControlKind::RadioButton, "GroupBox1", 14, 66, 179, 17, "Black Background Only", false, kChoiceFont));
    c.push_back(Make("GroupBox4", ControlKind::GroupBox, "", 76, 136, 206, 73, "Wav or Midi Sound?", false, kGroupFont));
    c.push_back(Make("radsndon", ControlKind::RadioButton, "GroupBox4", 22, 24, 113, 17, "Sound ON", false, kChoiceFont));
    c.push_back(Make("radsndof", ControlKind::RadioButton, "GroupBox4", 22, 41, 113, 17, "Sound OFF", false, kChoiceFont));
    c.push_back(Make("GroupBox3", ControlKind::GroupBox, "", 28, 153, 253, 58, "Repeat Sound (Midi or Wav)", false, kGroupFont));
    c.push_back(Make("radrepon", ControlKind::RadioButton, "GroupBox3", 20, 20, 221, 17, "Repeat On", false, kChoiceFont));
    c.push_back(Make("radrepoff", ControlKind::RadioButton, "GroupBox3", 20, 36, 205, 17, "Repeat Off", false, kChoiceFont));
    c.push_back(Make("cmdhelp", ControlKind::Button, "", 248, 167, 139, 21, "About", false, kChoiceFont));
    c.push_back(Make("Button1", ControlKind::Button, "", 336, 106, 76, 25, "create file", false, kChoiceFont));

    c.push_back(OpenDialog("OpenDialog1", "wav (*.wav);midi (*.mid)|*.wav;*.mid"));
    c.push_back(OpenDialog("OpenDialog2", "MPEG  (*.mpg)|*.mpg|AVI  (*.avi)|*.avi"));
    return f;
}

}  // namespace

const plat::FormDesc& Form2Description() {
    static const plat::FormDesc desc = MakeForm2();
    return desc;
}

}  // namespace forms
