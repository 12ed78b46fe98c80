// platform start script
var loaderClass = "{6A1E3F52-7C0B-4D7E-9A51-2B8F3C4D5E60}";
start();
