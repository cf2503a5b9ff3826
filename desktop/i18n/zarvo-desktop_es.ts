<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>DueText</name>
    <message>
        <source>today</source>
        <translation>hoy</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>mañana</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>ayer</translation>
    </message>
</context>
<context>
    <name>TaskCount</name>
    <message>
        <source>{0, plural, one {# task} other {# tasks}}</source>
        <comment>ICU MessageFormat: keep {0, plural, ...} and #</comment>
        <translation>{0, plural, one {# tarea} other {# tareas}}</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::AccountDialog</name>
    <message>
        <source>Accounts</source>
        <translation>Cuentas</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Cuenta</translation>
    </message>
    <message>
        <source>Account name</source>
        <translation>Nombre de la cuenta</translation>
    </message>
    <message>
        <source>Server URL</source>
        <translation>URL del servidor</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Nombre de usuario</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Contraseña</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>&amp;Cuenta:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Nombre:</translation>
    </message>
    <message>
        <source>Server &amp;URL:</source>
        <translation>&amp;URL del servidor:</translation>
    </message>
    <message>
        <source>U&amp;ser:</source>
        <translation>U&amp;suario:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>Con&amp;traseña:</translation>
    </message>
    <message>
        <source>The password is kept in your desktop&apos;s keyring (the Secret Service), not in a file; a sync asks the keyring for it.</source>
        <translation>La contraseña se guarda en el llavero del escritorio (Secret Service), no en un archivo; cada sincronización se la pide al llavero.</translation>
    </message>
    <message>
        <source>New account</source>
        <translation>Cuenta nueva</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>sin cambios</translation>
    </message>
    <message>
        <source>kept elsewhere now; type it to keep it in the keyring</source>
        <translation>ahora se guarda en otro sitio; escríbela para guardarla en el llavero</translation>
    </message>
    <message>
        <source>Not saved: %1</source>
        <translation>No se guardó: %1</translation>
    </message>
    <message>
        <source>&amp;Remove Account…</source>
        <translation>&amp;Eliminar cuenta…</translation>
    </message>
    <message>
        <source>Remove account</source>
        <translation>Eliminar cuenta</translation>
    </message>
    <message>
        <source>Remove Account</source>
        <translation>Eliminar cuenta</translation>
    </message>
    <message>
        <source>Remove the account %1?</source>
        <translation>¿Eliminar la cuenta %1?</translation>
    </message>
    <message>
        <source>Its lists stay on this computer, no longer synced; the server keeps them. Its password leaves the keyring.</source>
        <translation>Sus listas se quedan en este equipo, sin sincronizar; el servidor las conserva. Su contraseña sale del llavero.</translation>
    </message>
    <message>
        <source>Also &amp;delete its lists and their tasks on this computer</source>
        <translation>&amp;Borrar también sus listas y sus tareas en este equipo</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Not removed: %1</source>
        <translation>No se eliminó: %1</translation>
    </message>
    <message>
        <source>Removed, but: %1</source>
        <translation>Eliminada, pero: %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::DetailsPane</name>
    <message>
        <source>Flagged</source>
        <translation>Marcada</translation>
    </message>
    <message>
        <source>Task details</source>
        <translation>Detalles de la tarea</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notas</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>Vence</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Ninguna</translation>
    </message>
    <message>
        <source>A date as in quick entry: “fri 5pm”, “2031-12-24”, “in 3 days”. Without a time the task is due all day; empty: no due.</source>
        <translation>Una fecha como en la entrada rápida: «vie 17:00», «2031-12-24», «en 3 días». Sin hora, la tarea vence todo el día; vacío: sin vencimiento.</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Lista</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Prioridad</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Baja</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Media</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Alta</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Etiquetas</translation>
    </message>
    <message>
        <source>errand, home</source>
        <translation>recado, casa</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::MainWindow</name>
    <message>
        <source>Zarvo</source>
        <translation>Zarvo</translation>
    </message>
    <message>
        <source>Tasks</source>
        <translation>Tareas</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Search tasks</source>
        <translation>Buscar tareas</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>Orden</translation>
    </message>
    <message>
        <source>By due date</source>
        <translation>Por vencimiento</translation>
    </message>
    <message>
        <source>By priority</source>
        <translation>Por prioridad</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>Más recientes primero</translation>
    </message>
    <message>
        <source>By title</source>
        <translation>Por título</translation>
    </message>
    <message>
        <source>Overdue first</source>
        <translation>Vencidas primero</translation>
    </message>
    <message>
        <source>Sync problem</source>
        <translation>Problema de sincronización</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Dismiss the sync problem</source>
        <translation>Cerrar el aviso de sincronización</translation>
    </message>
    <message>
        <source>New list</source>
        <translation>Lista nueva</translation>
    </message>
    <message>
        <source>Waiting for %1 to finish with the home…</source>
        <translation>Esperando a que %1 termine con la carpeta…</translation>
    </message>
    <message>
        <source>No date found in “%1”; the due is unchanged.</source>
        <translation>No se encontró ninguna fecha en «%1»; el vencimiento no cambia.</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Completar</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Marcar</translation>
    </message>
    <message>
        <source>Move to…</source>
        <translation>Mover a…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Editar</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Deshacer</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>Deshecho: %1</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Rehacer</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>Rehecho: %1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ver</translation>
    </message>
    <message>
        <source>&amp;Sort By</source>
        <translation>&amp;Ordenar por</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>Sincronizar ahora</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>&amp;Sincronizar</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Sincronizando…</translation>
    </message>
    <message>
        <source>Syncing… %1</source>
        <translation>Sincronizando… %1</translation>
    </message>
    <message>
        <source>Synced.</source>
        <translation>Sincronizado.</translation>
    </message>
    <message>
        <source>Sync failed: %1</source>
        <translation>Falló la sincronización: %1</translation>
    </message>
    <message>
        <source>Remove List</source>
        <translation>Eliminar lista</translation>
    </message>
    <message numerus="yes">
        <source>Remove “%1” and all its tasks (%n open)?</source>
        <translation>
            <numerusform>¿Eliminar «%1» y todas sus tareas (%n pendiente)?</numerusform>
            <numerusform>¿Eliminar «%1» y todas sus tareas (%n pendientes)?</numerusform>
        </translation>
    </message>
    <message>
        <source>Completed tasks go with it. Edit → Undo brings the list back.</source>
        <translation>Las tareas completadas se van con ella. Editar → Deshacer recupera la lista.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>That task is no longer open.</source>
        <translation>Esa tarea ya no está pendiente.</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Deshacer %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Rehacer %1</translation>
    </message>
    <message>
        <source>Reading your tasks…</source>
        <translation>Leyendo tus tareas…</translation>
    </message>
    <message numerus="yes">
        <source>%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why</source>
        <translation>
            <numerusform>%n archivo de tarea omitido (ilegible, o un segundo archivo de una tarea); ZARVO_LOG_LEVEL=error muestra cuál y por qué</numerusform>
            <numerusform>%n archivos de tareas omitidos (ilegibles, o un segundo archivo de una tarea); ZARVO_LOG_LEVEL=error muestra cuáles y por qué</numerusform>
        </translation>
    </message>
    <message>
        <source>Move to list</source>
        <translation>Mover a la lista</translation>
    </message>
    <message>
        <source>Your order</source>
        <translation>Tu orden</translation>
    </message>
    <message>
        <source>&amp;Accounts…</source>
        <translation>&amp;Cuentas…</translation>
    </message>
    <message>
        <source>Account %1 saved; Sync Now fetches its lists.</source>
        <translation>Cuenta %1 guardada; Sincronizar ahora trae sus listas.</translation>
    </message>
    <message>
        <source>Account %1 removed, and its lists on this computer.</source>
        <translation>Cuenta %1 eliminada, y sus listas en este equipo.</translation>
    </message>
    <message>
        <source>Account %1 removed; its lists stay here, no longer synced.</source>
        <translation>Cuenta %1 eliminada; sus listas se quedan aquí, sin sincronizar.</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickAddBox</name>
    <message>
        <source>Quick Add</source>
        <translation>Añadir rápido</translation>
    </message>
    <message>
        <source>Quick add</source>
        <translation>Añadir rápido</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>No se añadió: %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickEntry</name>
    <message>
        <source>New task: &quot;Call Anna tomorrow 5pm #Work !!&quot;</source>
        <translation>Tarea nueva: «Llamar a Ana mañana 17:00 #Trabajo !!»</translation>
    </message>
    <message>
        <source>Quick entry</source>
        <translation>Entrada rápida</translation>
    </message>
    <message>
        <source>What Enter creates</source>
        <translation>Lo que crea Intro</translation>
    </message>
    <message>
        <source>Type a task; a date, #list and !! are understood.</source>
        <translation>Escribe una tarea; se entienden una fecha, #lista y !!.</translation>
    </message>
    <message>
        <source>Nothing is left for a title.</source>
        <translation>No queda nada para el título.</translation>
    </message>
    <message>
        <source>Due %1</source>
        <translation>Vence %1</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>en %1</translation>
    </message>
    <message>
        <source>no list &quot;%1&quot;: in %2</source>
        <translation>no hay lista «%1»: en %2</translation>
    </message>
    <message>
        <source>flagged</source>
        <translation>marcada</translation>
    </message>
    <message>
        <source>repeats</source>
        <translation>se repite</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 día</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1 días</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 hora</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 horas</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 minuto</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 minutos</translation>
    </message>
    <message>
        <source>reminder %1 before</source>
        <translation>aviso %1 antes</translation>
    </message>
    <message>
        <source>reminder in %1</source>
        <translation>aviso en %1</translation>
    </message>
    <message>
        <source>reminder %1</source>
        <translation>aviso %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::Sidebar</name>
    <message>
        <source>Lists</source>
        <translation>Listas</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Hoy</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>Próximas</translation>
    </message>
    <message>
        <source>Flagged</source>
        <translation>Marcadas</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Importantes</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Todas</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rojo</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Naranja</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Amarillo</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Verde</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Azul</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Morado</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>Marrón</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>Gris</translation>
    </message>
    <message>
        <source>Colour of %1</source>
        <translation>Color de %1</translation>
    </message>
    <message>
        <source>Remove List…</source>
        <translation>Eliminar lista…</translation>
    </message>
    <message>
        <source>My Lists</source>
        <translation>Mis listas</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Este ordenador</translation>
    </message>
    <message>
        <source>%1, folded</source>
        <translation>%1, plegado</translation>
    </message>
    <message>
        <source>%1, unfolded</source>
        <translation>%1, desplegado</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::SyncController</name>
    <message>
        <source>%1: failed</source>
        <translation>%1: falló</translation>
    </message>
    <message numerus="yes">
        <source>%n added here</source>
        <translation>
            <numerusform>%n añadida aquí</numerusform>
            <numerusform>%n añadidas aquí</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated here</source>
        <translation>
            <numerusform>%n actualizada aquí</numerusform>
            <numerusform>%n actualizadas aquí</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted here</source>
        <translation>
            <numerusform>%n eliminada aquí</numerusform>
            <numerusform>%n eliminadas aquí</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n added on the server</source>
        <translation>
            <numerusform>%n añadida en el servidor</numerusform>
            <numerusform>%n añadidas en el servidor</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated on the server</source>
        <translation>
            <numerusform>%n actualizada en el servidor</numerusform>
            <numerusform>%n actualizadas en el servidor</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>%n eliminada en el servidor</numerusform>
            <numerusform>%n eliminadas en el servidor</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n conflicto</numerusform>
            <numerusform>%n conflictos</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: up to date</source>
        <translation>%1: al día</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::TaskModel</name>
    <message>
        <source>flagged</source>
        <translation>marcada</translation>
    </message>
</context>
</TS>
