#include "forms/forms.h"

namespace forms {

namespace {

plat::FormDesc MakeForm1() {
    plat::FormDesc f;
    f.ClassName = "TForm1";
    f.Name = "Form1";
    f.Caption = "Devarozuv33";  // with the class, the identity of a running saver
    f.Border = plat::BorderStyle::None;
    f.BorderIcons = false;
    f.StayOnTop = true;
    f.Maximized = true;
    f.Visible = true;
    f.ClientWidth = 640;
    f.ClientHeight = 480;
    f.Colour = plat::clBtnFace;  // the creation handler sets black or white

    plat::ControlDesc lblinfo;
    lblinfo.Name = "lblinfo";
    lblinfo.Kind = plat::ControlKind::Label;
    lblinfo.Left = 68;
    lblinfo.Top = 87;
    lblinfo.Width = 469;
    lblinfo.Height = 106;
    lblinfo.Caption = "lblinfo";
    lblinfo.Visible = false;
    lblinfo.AutoSize = false;
    lblinfo.WordWrap = true;
    lblinfo.ParentFont = false;
    lblinfo.Font = {"MS Sans Serif", 16, true, plat::clWindowText};
    f.Controls.push_back(lblinfo);

    plat::ControlDesc player1;
    player1.Name = "MediaPlayer1";
    player1.Kind = plat::ControlKind::MediaPlayer;
    player1.Visible = false;
    player1.AutoRewind = false;
    f.Controls.push_back(player1);

    plat::ControlDesc panel;
    panel.Name = "Panel1";
    panel.Kind = plat::ControlKind::Panel;
    panel.Left = 11;
    panel.Top = 24;
    panel.Width = 185;
    panel.Height = 147;
    panel.Colour = plat::clBlack;
    panel.Bevel = false;
    f.Controls.push_back(panel);

    plat::ControlDesc player2;
    player2.Name = "MediaPlayer2";
    player2.Kind = plat::ControlKind::MediaPlayer;
    player2.Visible = false;
    player2.Display = "Panel1";
    player2.AutoRewind = true;
    f.Controls.push_back(player2);

    plat::ControlDesc timer;
    timer.Name = "Timer1";
    timer.Kind = plat::ControlKind::Timer;
    timer.Interval = 200;
    timer.Enabled = false;
    f.Controls.push_back(timer);
    return f;
}

}  // namespace

const plat::FormDesc& Form1Description() {
    static const plat::FormDesc desc = MakeForm1();
    return desc;
}

}  // namespace forms
