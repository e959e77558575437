#include "platform/web/player_page_view.h"

#include "platform/web/page_texts.h"

#include <QFile>
#include <QPointer>
#include <QUrl>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

#include <vector>

namespace platform {

namespace {

// The object the page reaches as channel.objects.bridge.
class PageBridge : public QObject {
    Q_OBJECT
public:
    std::function<void(const QString&, const QString&)> onCommand;
    std::function<void()> onReady;
    std::function<std::string(const std::string&)> onTranscode;

    Q_INVOKABLE void fsCommand(const QString& command, const QString& args)
    {
        if (onCommand)
            onCommand(command, args);
    }
    Q_INVOKABLE QString transcode(const QString& url)
    {
        return onTranscode ? QString::fromStdString(onTranscode(url.toStdString())) : QString();
    }
    Q_INVOKABLE void pageReady()
    {
        if (onReady)
            onReady();
    }
};

// qwebchannel.js injected before the page's own scripts, so that the page
// needs no qrc: script tag.
QWebEngineScript ChannelScript()
{
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    file.open(QIODevice::ReadOnly);
    QWebEngineScript script;
    script.setName(QStringLiteral("qwebchannel"));
    script.setSourceCode(QString::fromUtf8(file.readAll()));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    return script;
}

}  // namespace

struct PlayerPageView::Impl {
    // The parent window may delete the view first (a new skin replaces
    // its windows).
    QPointer<QWebEngineView> view;
    PageBridge bridge;
    QWebChannel channel;
    bool ready = false;
    std::function<void()> readyHandler;
    CommandHandler commandHandler;
    std::vector<std::pair<std::string, ResultHandler>> waiting;

    void Run(const std::string& request, const ResultHandler& done)
    {
        if (!view)
            return;
        const QString code = QStringLiteral("CallFunction(%1)").arg(QString::fromUtf8(JsStringLiteral(request)));
        view->page()->runJavaScript(code, [done](const QVariant& result) {
            if (done)
                done(result.toString().toStdString());
        });
    }
    // A JavaScript string literal of the text.
    static QByteArray JsStringLiteral(const std::string& text)
    {
        QByteArray out = "\"";
        for (const unsigned char c : text) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default:
                if (c < 0x20)
                    out += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
                else
                    out += static_cast<char>(c);
            }
        }
        // U+2028 and U+2029 end a line in older JavaScript.
        out.replace("\xe2\x80\xa8", "\\u2028");
        out.replace("\xe2\x80\xa9", "\\u2029");
        return out + "\"";
    }
};

PlayerPageView::PlayerPageView(QWidget* parent) : impl_(std::make_unique<Impl>())
{
    impl_->view = new QWebEngineView(parent);
    QWebEnginePage* page = impl_->view->page();
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    page->setBackgroundColor(Qt::black);
    page->scripts().insert(ChannelScript());
    InjectPageTexts(page->scripts(), false);
    impl_->channel.registerObject(QStringLiteral("bridge"), &impl_->bridge);
    page->setWebChannel(&impl_->channel);
    impl_->view->setContextMenuPolicy(Qt::NoContextMenu);

    Impl* impl = impl_.get();
    impl_->bridge.onCommand = [impl](const QString& command, const QString& args) {
        if (impl->commandHandler)
            impl->commandHandler(command.toStdString(), args.toStdString());
    };
    impl_->bridge.onReady = [impl] {
        impl->ready = true;
        for (const auto& [request, done] : std::exchange(impl->waiting, {}))
            impl->Run(request, done);
        if (impl->readyHandler)
            impl->readyHandler();
    };
    QObject::connect(page, &QWebEnginePage::loadStarted, impl_->view.data(), [impl] { impl->ready = false; });
}

PlayerPageView::~PlayerPageView()
{
    // The page goes before the profile it uses.
    delete impl_->view.data();
}

QWidget* PlayerPageView::Widget() const
{
    return impl_->view.data();
}

void PlayerPageView::Load(const std::string& url)
{
    if (impl_->view)
        impl_->view->load(QUrl(QString::fromStdString(url)));
}

bool PlayerPageView::IsReady() const
{
    return impl_->ready;
}

void PlayerPageView::SetReadyHandler(std::function<void()> handler)
{
    impl_->readyHandler = std::move(handler);
}

void PlayerPageView::SetCommandHandler(CommandHandler handler)
{
    impl_->commandHandler = std::move(handler);
}

void PlayerPageView::SetTranscodeHandler(std::function<std::string(const std::string&)> handler)
{
    impl_->bridge.onTranscode = std::move(handler);
}

void PlayerPageView::CallFunction(const std::string& request, ResultHandler done)
{
    if (!impl_->ready) {
        impl_->waiting.emplace_back(request, std::move(done));
        return;
    }
    impl_->Run(request, done);
}

void PrepareWebEngineEnvironment()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (::geteuid() == 0 && !flags.contains("--no-sandbox"))
        flags += " --no-sandbox";
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !flags.contains("--disable-gpu"))
        flags += " --disable-gpu";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

void RouteWebEngineThroughProxy(int port)
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --proxy-server=http://127.0.0.1:" + QByteArray::number(port) + " --proxy-bypass-list=<-loopback>";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

}  // namespace platform

#include "player_page_view.moc"
