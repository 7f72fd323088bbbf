#include "app/about_dialog.h"

#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace tavrin::app {
namespace {

QPointer<CAboutDlg> openBox;

}  // namespace

CAboutDlg::CAboutDlg(const QString& link, std::function<void()> help)
    : QDialog(nullptr)
    , version_(new QLabel(this))
    , copyright_(new QLabel(this))
    , link_(new QLabel(this))
    , ok_(new QPushButton(this))
    , help_(std::move(help))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("AboutBox");
    link_->setText(QString("<a href=\"%1\">%1</a>").arg(link.toHtmlEscaped()));
    link_->setOpenExternalLinks(true);
    link_->setTextInteractionFlags(Qt::TextBrowserInteraction);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(version_);
    layout->addWidget(copyright_);
    layout->addWidget(link_);
    layout->addWidget(ok_, 0, Qt::AlignRight);
    connect(ok_, &QPushButton::clicked, this, &QDialog::close);
}

bool CAboutDlg::Open(model::LanguageTexts& texts, const QString& link, std::function<void()> help)
{
    if (openBox)
        return false;
    openBox = new CAboutDlg(link, std::move(help));
    openBox->Relabel(texts, texts.LanguageIndex());
    openBox->show();
    return true;
}

void CAboutDlg::CloseOpen()
{
    if (openBox)
        openBox->close();
}

CAboutDlg* CAboutDlg::Current()
{
    return openBox.data();
}

void CAboutDlg::Relabel(model::LanguageTexts& texts, int languageIndex)
{
    const auto text = [&](const char* key) { return QString::fromStdString(texts.Text(key, languageIndex)); };
    setWindowTitle(text("IDS_ABOUT_TITLE"));
    version_->setText(text("IDS_ABOUT_VERSION"));
    copyright_->setText(text("IDS_ABOUT_COPYRIGHT"));
    ok_->setText(text("IDS_ABOUT_OK"));
}

void CAboutDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && help_) {
        help_();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tavrin::app
