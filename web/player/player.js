// The player page: plays what the program hands it (always an http URL of
// the program's loopback play server) and speaks the program's player
// protocol. Calls arrive as invoke XML through CallFunction; events go back
// as FSCommand(command, args) over the web channel.
'use strict';

var video = document.getElementById('video');
var statusLine = document.getElementById('status');
var lightLayer = document.getElementById('light');

var bridge = null;          // the program's object, once the channel is up
var pending = [];           // events sent before that
var flvPlayer = null;       // mpegts.js player of an FLV, if one plays
var texts = { station: '', connect: '' };
var totalBytes = 0;         // told by SetVideoBytes
var lastProcess = '';
var lastLoaded = '';
var started = false;

function fsCommand(command, args) {
  if (bridge) bridge.fsCommand(command, String(args));
  else pending.push([command, String(args)]);
}

new QWebChannel(qt.webChannelTransport, function (channel) {
  bridge = channel.objects.bridge;
  pending.forEach(function (e) { bridge.fsCommand(e[0], e[1]); });
  pending = [];
  bridge.pageReady();
});

function showStatus(text) { statusLine.textContent = text; }

function stop() {
  if (flvPlayer) {
    flvPlayer.pause();
    flvPlayer.unload();
    flvPlayer.detachMediaElement();
    flvPlayer.destroy();
    flvPlayer = null;
  }
  video.pause();
  video.removeAttribute('src');
  video.load();
  started = false;
  lastProcess = lastLoaded = '';
  totalBytes = 0;
  showStatus('');
}

// The play server names the type; an FLV goes through mpegts.js (with
// range seeking), anything else to the video element itself.
function play(url) {
  stop();
  showStatus(texts.connect);
  fetch(url, { method: 'HEAD' }).then(function (answer) {
    return (answer.headers.get('Content-Type') || '').indexOf('flv') >= 0;
  }, function () { return /\.flv($|\?)/i.test(url); }).then(function (isFlv) {
    if (isFlv && window.mpegts && mpegts.isSupported()) {
      flvPlayer = mpegts.createPlayer({ type: 'flv', isLive: false, url: url },
                                      { enableWorker: false, seekType: 'range', lazyLoad: false });
      flvPlayer.on(mpegts.Events.ERROR, function (type, detail) { showStatus(type + ': ' + detail); });
      flvPlayer.attachMediaElement(video);
      flvPlayer.load();
    } else {
      video.src = url;
    }
    var attempt = video.play();
    if (attempt && attempt.catch) attempt.catch(function () {});
  });
}

function loadedFraction() {
  if (!video.duration || !isFinite(video.duration)) return 0;
  var end = 0;
  for (var i = 0; i < video.buffered.length; i++) end = Math.max(end, video.buffered.end(i));
  return Math.min(1, end / video.duration);
}

function reportProgress() {
  var total = isFinite(video.duration) ? Math.floor(video.duration) : 0;
  var process = Math.floor(video.currentTime) + '/' + total;
  if (process !== lastProcess) {
    lastProcess = process;
    fsCommand('VideoProcess', process);
  }
  if (totalBytes > 0) {
    var loaded = Math.floor(loadedFraction() * totalBytes) + '/' + totalBytes;
    if (loaded !== lastLoaded) {
      lastLoaded = loaded;
      fsCommand('LoadByteProcess', loaded);
    }
  }
}

video.addEventListener('playing', function () {
  showStatus('');
  if (!started) {
    started = true;
    fsCommand('OnStatus', 'NetStream.Play.Start');
  }
});
video.addEventListener('waiting', function () { if (started) showStatus('正在缓冲...'); });
video.addEventListener('timeupdate', reportProgress);
video.addEventListener('progress', reportProgress);
video.addEventListener('ended', function () {
  reportProgress();
  fsCommand('OnStatus', 'NetStream.Play.Stop VideoPlayOver');
});
video.addEventListener('error', function () {
  if (video.getAttribute('src')) showStatus('无法播放此视频');
});
video.addEventListener('dblclick', function () { fsCommand('OnFullScreen', 'true'); });

function clampPercent(text) {
  var value = parseInt(text, 10);
  return isNaN(value) ? 0 : Math.max(0, Math.min(100, value));
}

// The functions the program calls, each with its one string argument.
var functions = {
  PlayVideo: function (url) { play(url); },
  StopVideo: function () { stop(); },
  PauseVideo: function () {
    if (video.paused) video.play(); else video.pause();
    fsCommand('OnStatus', 'Our.Pause');
  },
  IsPause: function () { return video.paused ? 'true' : 'false'; },
  StartCaptureScreen: function () { fsCommand('StartCaptureScreen', 'true'); },
  SetVideoVolume: function (value) { var v = clampPercent(value); video.volume = v / 100; video.muted = v === 0; },
  SetVideoLight: function (value) { lightLayer.style.opacity = String((100 - clampPercent(value)) / 100 * 0.85); },
  SetVideoProcess: function (value) {
    if (video.duration && isFinite(video.duration)) video.currentTime = video.duration * clampPercent(value) / 100;
  },
  SetStyle: function (value) { document.body.classList.toggle('compact', value === '3'); },
  SetWideScreenMode: function (value) { video.classList.toggle('wide', value === 'true'); },
  SetVideoDuration: function () {},
  SetVideoBytes: function (value) { var n = Number(value); totalBytes = isFinite(n) && n > 0 ? Math.round(n) : 0; },
  SetConnectStatus: function (text) { texts.connect = text; if (!started) showStatus(text); },
  SetWebStationName: function (text) { texts.station = text; }
};

// <invoke name="NAME" returntype="xml"><arguments><string>ARG</string></arguments></invoke>
// The argument comes unescaped, so it is cut out as text rather than parsed.
function CallFunction(request) {
  var name = /<invoke name="([^"]*)"/.exec(request);
  var open = '<arguments><string>', close = '</string></arguments></invoke>';
  var from = request.indexOf(open), to = request.lastIndexOf(close);
  if (!name || from < 0 || to < from || !functions.hasOwnProperty(name[1])) return '<undefined/>';
  var result = functions[name[1]](request.substring(from + open.length, to));
  return result === undefined ? '<undefined/>' : '<string>' + result + '</string>';
}
window.CallFunction = CallFunction;
