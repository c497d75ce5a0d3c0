#include "app/main_form_controls.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace vantrel {

namespace {

// A read-only field of the parameter panel, named `name`, at x, y in `box`,
// `w` wide, with its caption to its left.
QLineEdit* panelField(QGroupBox* box, const char* name, const QString& caption, int x, int y,
                      int w) {
    auto* edit = new QLineEdit(box);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setAcceptDrops(false); // a drop on a field is a drop on the window
    edit->setGeometry(x, y, w, 28);
    edit->setFont(windowFont(16, true));
    // The caption sits 3 pixels to the left of its field.
    auto* label = new QLabel(caption, box);
    label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Caption"));
    label->setFont(windowFont(11, true));
    const int captionWidth = x - 3 - 2;
    label->setGeometry(2, y, captionWidth, 28);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

} // namespace

QFont windowFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void NoteListBox::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    const int after = currentRow();
    if (after != before && after >= 0 && keyboardClick) keyboardClick(after);
}

bool NavigationButton::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            e->accept();
            return true;
        }
    }
    return QPushButton::event(e);
}

QPushButton* navigationButton(QWidget* parent, const char* name, const QString& caption, int x,
                              int y, int w, int h) {
    auto* b = new NavigationButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

std::vector<PanelField> ParameterPanel::build(QWidget* parent) {
    struct Group {
        const char* name;
        QString caption;
        int x, y, w, h;
    };
    struct FieldSpec {
        int group;
        const char* name;
        QString caption;
        int x, y, w;
        std::string PanelTexts::*text;
    };
    const Group groups[] = {
        {"GainGroupBox", tr("增益"), 408, 72, 177, 129},
        {"ProbeGroupBox", tr("探头信息"), 592, 72, 185, 129},
        {"BaseGroupBox", tr("基本信息"), 409, 203, 369, 166},
    };
    const FieldSpec specs[] = {
        {0, "BaseGain", tr("基本增益："), 88, 24, 73, &PanelTexts::baseGain},
        {0, "ScanGain", tr("扫查增益："), 88, 56, 73, &PanelTexts::scanGain},
        {0, "CompGain", tr("表面补偿："), 88, 88, 73, &PanelTexts::compGain},
        {1, "ProbeType", tr("探头类型："), 88, 24, 73, &PanelTexts::probeType},
        {1, "ProbeFrequency", tr("探头频率："), 88, 56, 73, &PanelTexts::probeFrequency},
        {1, "CrystalSize", tr("晶片尺寸："), 88, 88, 73, &PanelTexts::crystalSize},
        {2, "EchoRange", tr("声程："), 48, 24, 113, &PanelTexts::echoRange},
        {2, "ProbeFront", tr("前沿："), 48, 56, 113, &PanelTexts::probeFront},
        {2, "ProbeZero", tr("零点："), 48, 88, 113, &PanelTexts::probeZero},
        {2, "ChannelNo", tr("通道："), 48, 122, 113, &PanelTexts::channelNo},
        {2, "EchoDelay", tr("延时："), 232, 24, 113, &PanelTexts::echoDelay},
        {2, "EchoSpeed", tr("声速："), 232, 56, 113, &PanelTexts::echoSpeed},
        {2, "ProbeAngle", tr("角度："), 232, 88, 113, &PanelTexts::probeAngle},
        {2, "EchoKAngle", tr("K值："), 232, 120, 113, &PanelTexts::echoKAngle},
    };
    QGroupBox* boxes[3];
    for (int i = 0; i < 3; ++i) {
        const Group& g = groups[i];
        boxes[i] = new QGroupBox(g.caption, parent);
        boxes[i]->setObjectName(QString::fromLatin1(g.name));
        boxes[i]->setGeometry(g.x, g.y, g.w, g.h);
        boxes[i]->setFont(windowFont(16, true));
    }
    std::vector<PanelField> fields;
    for (const FieldSpec& f : specs)
        fields.push_back({panelField(boxes[f.group], f.name, f.caption, f.x, f.y, f.w), f.text});
    return fields;
}

} // namespace vantrel
